#pragma once
// The browser's items and its column sort state, with change notifications that a
// view adapter turns into its own (a reset for a new listing or sort, row changes for
// the scanner's results). User-interface thread only, except the reads the scanner
// thread makes while it runs: Count(), and an item's kind and name. The item vector
// is never resized or reordered while a scanner runs (listing and sorting stop it first).
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "batch/browser_item.h"

namespace vlt {

class BrowserModelListener {
public:
    virtual ~BrowserModelListener() = default;
    // Around every change of the item set or order (listing, sorting).
    virtual void ItemsAboutToReset() = 0;
    virtual void ItemsReset() = 0;
    // Rows first..last (inclusive) changed their kind or sub-items.
    virtual void ItemsChanged(std::size_t first, std::size_t last) = 0;
    // A column caption gained or lost its "+"/"-" marker.
    virtual void ColumnCaptionsChanged() = 0;
};

enum ColumnSortState : std::uint8_t { csAscending = 0, csDescending = 1, csUnsorted = 2 };

struct SortState {
    int column = colName;
    int direction = 1; // +1 ascending, -1 descending
    std::array<ColumnSortState, kColumnCount> states{csUnsorted, csUnsorted, csUnsorted,
                                                     csUnsorted, csUnsorted, csUnsorted};
};

class BrowserModel {
public:
    // One listener (the view adapter) or none.
    void SetListener(BrowserModelListener* listener) { listener_ = listener; }

    std::size_t Count() const { return items_.size(); }
    const BrowserItem& Item(std::size_t index) const { return items_[index]; }

    // The selection flags, kept in step with the view's selection.
    void SetSelected(std::size_t index, bool selected);
    void ClearSelection();

    // "Name", "Size", ... with "+" for an ascending and "-" for a descending sort.
    std::string ColumnCaption(int column) const;
    const SortState& Sort() const { return sort_; }

    // The listing's and the sorter's access: replaces the whole set inside one
    // reset notification.
    void ReplaceItems(std::vector<BrowserItem> items);
    // Stable sort of the items inside one reset notification.
    void SortItems(const std::function<bool(const BrowserItem&, const BrowserItem&)>& before);
    void SetSortState(const SortState& state);
    // One scanner result applied on the user-interface thread.
    void SetFileState(std::size_t index, ItemKind kind, const std::string* stateText);
    void NotifyChanged(std::size_t first, std::size_t last);

private:
    std::vector<BrowserItem> items_;
    SortState sort_;
    BrowserModelListener* listener_ = nullptr;
};

// The captions of the six columns without sort markers.
extern const std::array<const char*, kColumnCount> kColumnCaptions;

} // namespace vlt
