#pragma once
// What a run takes from the browser: the selected items as paths, read from the model
// when the run asks for them.
#include <string>

#include "batch/browser_model.h"
#include "batch/job_host.h"

namespace vlt {

// Directories (never "." or ".."), files and drives (mount points) that are selected,
// in the browser's order, with the mask of `browserPath` ("/home/ann/*.txt").
[[nodiscard]] JobSelection SelectionFromBrowser(const BrowserModel& model, const std::string& browserPath);

} // namespace vlt
