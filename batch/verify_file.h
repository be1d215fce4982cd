#pragma once
// The check of one container as it lies on the disk: decoded into nothing with the
// run's keys, nothing written and no file changed (not even its access time where
// the platform allows that).
#include "container/file_operation_host.h"
#include "container/result_code.h"

#include <string>

namespace vlt {

// Needs a run prepared by SetupCryptContext and LzhAllocTables. The result a
// decryption would give (resIOError when the file cannot be opened); progress
// reaches the host as pkDecrypt. `storedNameUnusable` tells of a stored name a
// decryption would ignore (not a plain file name).
[[nodiscard]] ResultCode VerifyContainerFile(const std::string& path, FileOperationHost& host,
                                             bool& storedNameUnusable);

} // namespace vlt
