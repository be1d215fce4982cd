#include "batch/browser_selection.h"

#include "platform/paths.h"

namespace vlt {

JobSelection SelectionFromBrowser(const BrowserModel& model, const std::string& browserPath) {
    JobSelection selection;
    const std::string directory = PathDirPart(browserPath);
    const std::string mask = PathNamePart(browserPath);
    if (!mask.empty()) {
        selection.mask = mask;
    }
    for (std::size_t i = 0; i < model.Count(); ++i) {
        const BrowserItem& item = model.Item(i);
        if (!item.selected) {
            continue;
        }
        if (IsDriveKind(item.kind)) {
            selection.drives.push_back(item.name);
        } else if (IsFileKind(item.kind)) {
            selection.files.push_back(directory + item.name);
        } else if (item.name != "." && item.name != "..") {
            selection.directories.push_back(directory + item.name);
        }
    }
    return selection;
}

} // namespace vlt
