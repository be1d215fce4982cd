#pragma once
// What the header examination of a file means for the browser and the terminal:
// the State text and the item kind. One place for both programs.
#include <functional>
#include <string>

#include "batch/browser_item.h"
#include "container/format.h"
#include "platform/file_peek.h"

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

// The header test the scanner runs on the file `name` of `directory`; tests put
// scripted ones in.
using FileExaminer = std::function<CheckResult(const OpenDirectory& directory, const std::string& name)>;

// The scanner's header test: CheckEncrypted's verdict from a shared-lock peek at the
// file's first bytes (resIOError when it cannot be read or another program holds it).
// It costs half the system calls of opening the file for processing, which matters
// over a hundred thousand files.
[[nodiscard]] CheckResult PeekEncrypted(const OpenDirectory& directory, const std::string& name);

} // namespace vlt
