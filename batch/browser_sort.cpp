#include "batch/browser_sort.h"

#include <algorithm>
#include <string>

namespace vlt {

namespace {

// Sizes are right-aligned in this many characters before they are compared.
constexpr std::size_t kSizeWidth = 13;

unsigned char Folded(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

bool IsDotDot(const BrowserItem& item) {
    return item.name == "..";
}

// Right-aligned as in a column of kSizeWidth; sizes beyond it (ten terabytes and
// more) widen the column for both sides, so they still order by value.
int CompareSizes(const std::string& a, const std::string& b) {
    const std::size_t width = std::max({kSizeWidth, a.size(), b.size()});
    return CompareTextNoCase(std::string(width - a.size(), ' ') + a, std::string(width - b.size(), ' ') + b);
}

// "a"/"p" and hh:mm of a Time text "hh:mmX".
std::string TimeKey(const std::string& time) {
    return time.size() >= 6 ? time.substr(5, 1) + time.substr(0, 5) : time;
}

// YYMMDD of a Date text "MM-DD-YY".
std::string DateKey(const std::string& date) {
    return date.size() >= 8 ? date.substr(6, 2) + date.substr(0, 2) + date.substr(3, 2) : date;
}

int CompareByColumn(const BrowserItem& a, const BrowserItem& b, int column) {
    switch (column) {
    case colSize:
        return CompareSizes(a.SubItem(colSize), b.SubItem(colSize));
    case colDate:
        if (const int byDate = CompareTextNoCase(DateKey(a.SubItem(colDate)), DateKey(b.SubItem(colDate)))) {
            return byDate;
        }
        return CompareTextNoCase(TimeKey(a.SubItem(colTime)), TimeKey(b.SubItem(colTime)));
    case colTime:
        return CompareTextNoCase(TimeKey(a.SubItem(colTime)), TimeKey(b.SubItem(colTime)));
    case colAttr:
    case colState:
        return CompareTextNoCase(a.SubItem(static_cast<BrowserColumn>(column)),
                                 b.SubItem(static_cast<BrowserColumn>(column)));
    default:
        return CompareTextNoCase(a.caption, b.caption);
    }
}

} // namespace

int CompareTextNoCase(const std::string& a, const std::string& b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const int difference = Folded(a[i]) - Folded(b[i]);
        if (difference != 0) {
            return Sign(difference);
        }
    }
    return Sign(static_cast<int>(a.size() > b.size()) - static_cast<int>(a.size() < b.size()));
}

void SortByCaptionDirectoriesFirst(std::vector<BrowserItem>& items) {
    std::stable_sort(items.begin(), items.end(), [](const BrowserItem& a, const BrowserItem& b) {
        if (IsDotDot(a) != IsDotDot(b)) {
            return IsDotDot(a);
        }
        const int order = CompareTextNoCase(a.caption, b.caption);
        return order != 0 ? order < 0 : a.caption < b.caption;
    });
    std::stable_partition(items.begin(), items.end(),
                          [](const BrowserItem& item) { return item.kind == ikDirectory; });
}

SortState NextSortState(const SortState& state, int column) {
    SortState next = state;
    for (int other = 0; other < kColumnCount; ++other) {
        if (other != column) {
            next.states[static_cast<std::size_t>(other)] = csUnsorted;
        }
    }
    ColumnSortState& clicked = next.states[static_cast<std::size_t>(column)];
    clicked = clicked == csAscending ? csDescending : csAscending;
    next.direction = clicked == csAscending ? 1 : -1;
    next.column = column;
    return next;
}

int CompareItems(const BrowserItem& a, const BrowserItem& b, const SortState& state) {
    const bool driveA = IsDriveKind(a.kind);
    const bool driveB = IsDriveKind(b.kind);
    if (driveA || driveB) {
        return driveA && driveB ? CompareTextNoCase(a.caption, b.caption) : (driveA ? 1 : -1);
    }
    const bool directoryA = a.kind == ikDirectory;
    const bool directoryB = b.kind == ikDirectory;
    if (directoryA != directoryB) {
        return directoryA ? -1 : 1;
    }
    if (directoryA) {
        if (IsDotDot(a) != IsDotDot(b)) {
            return IsDotDot(a) ? -1 : 1;
        }
        if (state.column == colSize || state.column == colAttr || state.column == colState) {
            return CompareTextNoCase(a.caption, b.caption);
        }
    }
    return CompareByColumn(a, b, state.column) * state.direction;
}

std::function<bool(const BrowserItem&, const BrowserItem&)> ColumnOrder(const SortState& state) {
    return [state](const BrowserItem& a, const BrowserItem& b) { return CompareItems(a, b, state) < 0; };
}

} // namespace vlt
