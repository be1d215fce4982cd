#include "container/overwrite_question.h"

namespace vlt {

ResultCode AskOverwrite(FileOperationHost& host, const std::string& shownName) {
    switch (host.MessageBox("Warning", shownName + " already exists. Overwrite?", MsgIcon::Exclamation,
                            MsgButtons::YesNoCancel)) {
    case MsgAnswer::Cancel:
        return resUserBreak;
    case MsgAnswer::No:
        return resSkipped;
    default:
        return resDone;
    }
}

} // namespace vlt
