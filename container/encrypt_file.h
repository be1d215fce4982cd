#pragma once
// Encrypts one plain file into the container format: in place (under its own or
// a random name) or into a destination directory.
#include "container/file_operation_host.h"
#include "container/random_name.h"
#include "container/result_code.h"

#include <string>

namespace vlt {

struct TEncryptContext {
    std::string SourceDir; // ends with "/"
    std::string FileName;  // bare name, at most 255 bytes
    std::string DestDir;   // ends with "/", or empty to encrypt in place
    bool WarnOverwrite = false;
    bool EncryptAgain = true;
    bool KeepDateTime = false;
    bool StoreFileName = false;
    bool RenameOutput = false;
    bool KeepExtension = false;
    bool RemoveOriginal = false;
    bool Compress = false;
    bool ForceCompression = false;
    bool WipeOriginal = false;
    int WipePasses = 1; // cycles of three passes, 1..99
    bool SfsWiping = false;
    bool ZeroCBC = false;
    // Outputs.
    std::string NewName;      // the random name given with RenameOutput
    int CompressionRatio = 0; // encrypted size in percent of the original, with Compress
};

// Needs a run prepared by SetupCryptContext (and LzhAllocTables with Compress, the
// wipe buffers with WipeOriginal). A wipe of the original that the user stopped
// leaves the original deleted but not fully overwritten: resWipingFailed.
[[nodiscard]] ResultCode EncryptOneFile(TEncryptContext& context, FileOperationHost& host);

} // namespace vlt
