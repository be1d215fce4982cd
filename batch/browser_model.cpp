#include "batch/browser_model.h"

#include <algorithm>

namespace vlt {

const std::array<const char*, kColumnCount> kColumnCaptions = {"Name", "Size", "Date", "Time", "Attr.", "State"};

void BrowserModel::SetSelected(std::size_t index, bool selected) {
    if (index < items_.size()) {
        items_[index].selected = selected;
    }
}

void BrowserModel::ClearSelection() {
    for (BrowserItem& item : items_) {
        item.selected = false;
    }
}

std::string BrowserModel::ColumnCaption(int column) const {
    std::string caption = kColumnCaptions[static_cast<std::size_t>(column)];
    switch (sort_.states[static_cast<std::size_t>(column)]) {
    case csAscending:
        caption += '+';
        break;
    case csDescending:
        caption += '-';
        break;
    case csUnsorted:
        break;
    }
    return caption;
}

void BrowserModel::ReplaceItems(std::vector<BrowserItem> items) {
    if (listener_) {
        listener_->ItemsAboutToReset();
    }
    items_ = std::move(items);
    if (listener_) {
        listener_->ItemsReset();
    }
}

void BrowserModel::SortItems(const std::function<bool(const BrowserItem&, const BrowserItem&)>& before) {
    if (listener_) {
        listener_->ItemsAboutToReset();
    }
    std::stable_sort(items_.begin(), items_.end(), before);
    if (listener_) {
        listener_->ItemsReset();
    }
}

void BrowserModel::SetSortState(const SortState& state) {
    const bool captionsChanged = state.states != sort_.states;
    sort_ = state;
    if (captionsChanged && listener_) {
        listener_->ColumnCaptionsChanged();
    }
}

void BrowserModel::SetFileState(std::size_t index, ItemKind kind, const std::string* stateText) {
    BrowserItem& item = items_[index];
    item.kind = kind;
    if (stateText) {
        item.SubItem(colState) = *stateText;
    }
}

void BrowserModel::NotifyChanged(std::size_t first, std::size_t last) {
    if (listener_ && first <= last && last < items_.size()) {
        listener_->ItemsChanged(first, last);
    }
}

} // namespace vlt
