#include "batch/verify_file.h"

#include "container/container_check.h"
#include "container/read_back.h"
#include "container/stored_name.h"
#include "support/device_reader.h"
#include "support/file_access.h"

#include <cerrno>

namespace vlt {

ResultCode VerifyContainerFile(const std::string& path, FileOperationHost& host, bool& storedNameUnusable) {
    storedNameUnusable = false;
    DeviceReader reader;
    if (!reader.OpenPath(path)) {
        NoteFileError(errno, path);
        return resIOError;
    }
    DeviceSource source(reader);
    ContainerCheck check;
    const ContainerCheckOptions options{.useThreads = true, .host = &host, .reportProgress = true};
    const ResultCode code = CheckContainer(source, options, check);
    storedNameUnusable = code == resDone && !check.storedName.empty() && !IsPlainStoredName(check.storedName);
    return code;
}

} // namespace vlt
