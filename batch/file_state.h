#pragma once
// What the header examination of a file means for the browser and the terminal:
// the State text and the item kind. One place for both programs.
#include <functional>
#include <string>

#include "batch/browser_item.h"
#include "container/format.h"

namespace vlt {

struct FileState {
    ItemKind kind = ikFile;
    std::string text = "???";
};

// "???" and kind 1 when the file could not be examined; "Encrypted with VLT95" for
// generation 8 and "Encrypted with VLT" + generation otherwise, kind 2 when it is the
// format `vlt7Compat` selects (8 without it, any other with it) and 3 otherwise;
// "Not encrypted" and kind 4.
[[nodiscard]] FileState FileStateOf(const CheckResult& result, bool vlt7Compat);

// The header test the scanner runs per file; tests put scripted ones in.
using FileExaminer = std::function<CheckResult(const std::string& path)>;

} // namespace vlt
