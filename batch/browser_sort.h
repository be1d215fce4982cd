#pragma once
// The orders of the browser: by caption after a listing, by a column after a header
// click. Directories always come first and drives last.
#include <functional>
#include <vector>

#include "batch/browser_model.h"

namespace vlt {

// ASCII letters compared without case; other bytes by value.
[[nodiscard]] int CompareTextNoCase(const std::string& a, const std::string& b);

// The listing's order: by caption (".." first, then without case, ties by bytes),
// then the directories moved in front of the files, keeping their order.
void SortByCaptionDirectoriesFirst(std::vector<BrowserItem>& items);

// A click on `column`: the other columns lose their marker; the clicked one goes
// unsorted or descending -> ascending, ascending -> descending.
[[nodiscard]] SortState NextSortState(const SortState& state, int column);

// The column comparison, negative when `a` comes first: drives last and among
// themselves by name; directories first, ".." before the others, by name for the
// Size, Attr. and State columns; otherwise by the sort column times the direction
// (Size right-aligned in 13 characters, Date as YYMMDD then the Time key, Time as
// the a/p letter and hh:mm).
[[nodiscard]] int CompareItems(const BrowserItem& a, const BrowserItem& b, const SortState& state);

// CompareItems as a "comes before" predicate for a stable sort.
[[nodiscard]] std::function<bool(const BrowserItem&, const BrowserItem&)> ColumnOrder(const SortState& state);

} // namespace vlt
