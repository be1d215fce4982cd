#pragma once
// Decrypts one container file back into the plain file.
#include "container/file_operation_host.h"
#include "container/random_name.h"
#include "container/result_code.h"

#include <string>

namespace vlt {

struct TDecryptContext {
    std::string SourceDir; // ends with "/"
    std::string FileName;  // bare name of the encrypted file
    std::string DestDir;   // ends with "/", or empty to decrypt in place
    bool WarnOverwrite = false;
    bool IgnoreCRC32 = false;
    bool RestoreFileName = false;
    bool RestoreAttributes = false;
    bool RemoveOriginal = false;
    // Before the encrypted file goes (in place or RemoveOriginal), the plain output is
    // read back from the disk and its CRC-32 compared with the container's; a mismatch
    // keeps the encrypted file and removes the output: resVerificationFailed.
    bool VerifyOutput = false;
    // Outputs.
    std::string RestoredName;        // the stored name when the output took it
    bool StoredNameRejected = false; // a stored name that was not a plain file name was ignored
    bool TargetWrittenThisRun = false; // refused (resSkipped): the target is an output of this run
};

// Needs a run prepared by SetupCryptContext and LzhAllocTables. The stored name is
// used only when it is a plain file name; the output never leaves the target
// directory. The plain file is written under a work name (mode 0600) and takes its
// name, mode and owner only when complete and on the disk: a damaged container or a
// kill never costs a file of the target name, nor shows a partial plain file.
[[nodiscard]] ResultCode DecryptOneFile(TDecryptContext& context, FileOperationHost& host);

} // namespace vlt
