#include "batch/browser.h"

#include <algorithm>
#include <vector>

#include "batch/browser_sort.h"
#include "batch/browser_texts.h"
#include "batch/format_thousands.h"
#include "platform/current_directory.h"
#include "platform/dir_search.h"
#include "platform/paths.h"
#include "support/file_access.h"

namespace vlt {

namespace {

// IdleInfo is repainted only this often while a listing counts its items.
constexpr std::size_t kProgressStep = 47;
constexpr const char* kSearchingText = "Searching for files, found ";

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool HasWildcard(const std::string& name) {
    return name.find_first_of("*?") != std::string::npos;
}

ListFont FontOf(const SettingsRecord& settings) {
    return {settings.GetFontName(), settings.FontSize, settings.FontStyle, settings.FontColor};
}

void SetDateAndTime(BrowserItem& item, std::int64_t lastWrite) {
    const std::string dateTime = FileDateTimeText(lastWrite);
    item.SubItem(colDate) = DateColumnText(dateTime);
    item.SubItem(colTime) = TimeColumnText(dateTime);
}

// The entries of one directory as the browser shows them, before sorting.
struct Listing {
    std::vector<BrowserItem> items;
    std::int64_t fileCount = 0;
    std::int64_t fileTotal = 0;
};

class ListingBuilder {
public:
    ListingBuilder(BrowserHost& host, const SettingsRecord& settings, const std::string& mask)
        : host_(host), mask_(mask), excludeMask_(settings.ExcludeMask), details_(settings.ShowDetailsSwitch != 0) {}

    // Directories (without mask or exclusions) and files (with both) in one pass
    // over the directory, each entry examined once.
    void AddEntries(const std::string& directory) {
        DirSearch search;
        for (bool found = search.First(directory, "*"); found; found = search.Next()) {
            const FoundEntry& entry = search.Entry();
            if (entry.isDirectory) {
                AddDirectory(entry);
            } else if (entry.isRegularFile && !(entry.attributes & excludeMask_) && MatchesMask(entry.name, mask_)) {
                AddFile(entry);
            }
        }
    }

    void AddDrives() {
        for (const DriveInfo& drive : ListDrives()) {
            BrowserItem item;
            item.name = drive.mountPoint;
            item.caption = DriveCaption(drive);
            item.kind = DriveKind(drive.type);
            Add(std::move(item));
        }
    }

    Listing& Result() { return listing_; }

private:
    void AddDirectory(const FoundEntry& entry) {
        if (entry.name == ".") {
            return;
        }
        BrowserItem item = NamedItem(entry.name, ikDirectory);
        if (entry.name != "..") {
            SetDateAndTime(item, entry.lastWrite);
        }
        Add(std::move(item));
    }

    void AddFile(const FoundEntry& entry) {
        BrowserItem item = NamedItem(entry.name, ikFile);
        if (details_) {
            item.SubItem(colSize) = FormatThousands(static_cast<std::int64_t>(entry.size));
            SetDateAndTime(item, entry.lastWrite);
            item.SubItem(colAttr) = AttributeLetters(entry.attributes);
            item.SubItem(colState) = "???";
        }
        ++listing_.fileCount;
        listing_.fileTotal += static_cast<std::int64_t>(entry.size);
        Add(std::move(item));
    }

    static BrowserItem NamedItem(const std::string& name, ItemKind kind) {
        BrowserItem item;
        item.name = name;
        item.caption = DisplayName(name);
        item.kind = kind;
        return item;
    }

    void Add(BrowserItem item) {
        listing_.items.push_back(std::move(item));
        if (listing_.items.size() % kProgressStep == 0) {
            host_.ShowIdleInfo(kSearchingText + std::to_string(listing_.items.size()));
        }
    }

    BrowserHost& host_;
    const std::string& mask_;
    const std::uint32_t excludeMask_;
    const bool details_;
    Listing listing_;
};

} // namespace

ColumnWidths StoredColumnWidths(const SettingsRecord& settings) {
    ColumnWidths widths{};
    for (std::size_t i = 0; i < widths.size(); ++i) {
        widths[i] = settings.ColumnWidths[i];
    }
    return widths;
}

void StoreColumnWidths(SettingsRecord& settings, const ColumnWidths& widths) {
    for (std::size_t i = 0; i < widths.size(); ++i) {
        settings.ColumnWidths[i] = widths[i];
    }
}

bool ScannerStartsFor(std::uint8_t fileViewSetting, std::optional<DriveType> driveOfPath) {
    switch (fileViewSetting) {
    case 1:
        return true;
    case 2:
        return driveOfPath == DriveType::Fixed;
    default:
        return false;
    }
}

std::string NormaliseBrowserPath(const std::string& path) {
    const std::string trimmed = Trimmed(path);
    if (trimmed.empty()) {
        return "*.*";
    }
    const std::string name = PathNamePart(trimmed);
    // Dots are common in directory names here ("project.git", ".config"), so an
    // existing directory counts as one whatever its name holds.
    const bool directory =
        !HasWildcard(name) && (IsDirectory(trimmed) || (name.find('.') == std::string::npos && !FileExistsAny(trimmed)));
    if (!directory) {
        return trimmed;
    }
    return trimmed + (name.empty() ? "*.*" : "/*.*");
}

Browser::Browser(BrowserHost& host, SettingsRecord& settings, RunState& state)
    : host_(host), settings_(settings), state_(state), scanner_(state), examine_(PeekEncrypted) {}

Browser::~Browser() = default;

bool Browser::ListDirectory(const std::string& path) {
    StopScanner();
    const ListFont font = FontOf(settings_);
    host_.BeginListing(font, std::string(kSearchingText) + "0");
    host_.ProcessMessages();

    const std::string normalised = NormaliseBrowserPath(path);
    const std::string directoryPart = PathDirPart(normalised);
    std::string mask = PathNamePart(normalised);
    bool entered = directoryPart.empty() || SetCurrentDirectory(directoryPart);
    if (mask == "." || mask == "..") {
        // Not a mask but a directory that does not exist.
        entered = false;
        mask = "*.*";
    }
    std::string directory = CurrentDirectory();
    if (directory.empty() || directory.back() != '/') {
        directory += '/';
    }
    browserPath_ = directory + mask;
    // A path longer than the stored field is listed all the same; the settings keep
    // the last one that fits.
    static_cast<void>(settings_.SetCurrentPath(browserPath_));

    ListingBuilder builder(host_, settings_, mask);
    builder.AddEntries(directory);
    Listing& listing = builder.Result();
    SortByCaptionDirectoriesFirst(listing.items);
    builder.AddDrives();
    listing.items.shrink_to_fit(); // the growth reserve would be a third of a large listing's memory
    model_.SetSortState(SortState{});
    model_.ReplaceItems(std::move(listing.items));

    host_.SetListFont(font);
    if (host_.IsReportStyle() && !state_.KeepColumnWidths) {
        StoreColumnWidths(settings_, host_.ShownColumnWidths());
    } else {
        state_.KeepColumnWidths = false;
    }
    host_.SetViewStyle(settings_.ShowDetailsSwitch != 0, StoredColumnWidths(settings_));

    std::uint64_t bytesFree = 0;
    const std::int64_t free = FreeSpace(directory, bytesFree) ? static_cast<std::int64_t>(bytesFree) : -1;
    host_.SetStatusPanels(std::to_string(listing.fileCount) + " files (" + FormatThousands(listing.fileTotal) +
                              " bytes)",
                          DisplayName(browserPath_) + "  (Free Disk Space: " + FormatThousands(free) + " bytes)");
    const std::uint8_t examine = settings_.FileViewSetting;
    if (ScannerStartsFor(examine, examine == 2 ? DriveTypeOfPath(directory) : std::nullopt)) {
        StartScanner();
    }
    host_.EndListing();
    return entered;
}

void Browser::SortByColumn(int column) {
    if (column < 0 || column >= kColumnCount) {
        return;
    }
    const bool wasRunning = StopScanner();
    model_.SetSortState(NextSortState(model_.Sort(), column));
    model_.SortItems(ColumnOrder(model_.Sort()));
    if (wasRunning) {
        StartScanner();
    }
}

bool Browser::StopScanner() {
    const bool wasRunning = StopScannerAndWait(state_, [this] { host_.ProcessMessages(); });
    DrainScanUpdates();
    return wasRunning;
}

void Browser::StartScanner() {
    scanner_.Start(model_, PathDirPart(browserPath_), settings_.VLT7CompSwitch != 0, updates_, host_, examine_);
}

void Browser::DrainScanUpdates() {
    const std::vector<ScanUpdate> updates = updates_.TakeAll();
    if (updates.empty()) {
        return;
    }
    const bool report = host_.IsReportStyle();
    std::size_t first = model_.Count();
    std::size_t last = 0;
    for (const ScanUpdate& update : updates) {
        if (update.index >= model_.Count() || model_.Item(update.index).kind != ikFile) {
            continue;
        }
        model_.SetFileState(update.index, update.state.kind, report ? &update.state.text : nullptr);
        first = std::min(first, update.index);
        last = std::max(last, update.index);
    }
    model_.NotifyChanged(first, last);
}

} // namespace vlt
