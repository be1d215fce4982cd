#pragma once
#include "container/file_operation_host.h"
#include "container/result_code.h"

#include <string>

namespace vlt {

// "<shownName> already exists. Overwrite?" with Yes/No/Cancel: resDone to go on,
// resSkipped for No, resUserBreak for Cancel.
[[nodiscard]] ResultCode AskOverwrite(FileOperationHost& host, const std::string& shownName);

} // namespace vlt
