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
    // Before the original goes (in place, RemoveOriginal, WipeOriginal), the output is
    // read back from the disk and decoded; a mismatch keeps the original and removes
    // the output: resVerificationFailed.
    bool VerifyOutput = false;
    // Outputs.
    std::string NewName;      // the random name given with RenameOutput
    int CompressionRatio = 0; // encrypted size in percent of the original, with Compress
    int OtherLinks = 0;       // other hard links of a removed original: they still hold the plain text
    bool TargetWrittenThisRun = false; // refused (resSkipped): the target is an output of this run
};

// Needs a run prepared by SetupCryptContext (and LzhAllocTables with Compress, the
// wipe buffers with WipeOriginal). The result is written under a work name and
// takes its name only when complete and on the disk, so a failure or a kill never
// costs the original or a file the target would replace. A wipe of the original
// that the user stopped leaves it removed but not fully overwritten, and one with
// other hard links is refused: resWipingFailed.
[[nodiscard]] ResultCode EncryptOneFile(TEncryptContext& context, FileOperationHost& host);

} // namespace vlt
