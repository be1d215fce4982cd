#include "container/read_back.h"

#include "container/container_check.h"
#include "support/crc.h"
#include "support/secure_memory.h"

namespace vlt {
namespace {

// The plain file is read in pieces of this size, with window messages between them.
constexpr std::size_t kPlainPieceSize = 1 << 20;

} // namespace

ResultCode ReadBackContainer(const FileHandle& output, const ExpectedContent& expected, FileOperationHost& host) {
    DeviceReader reader;
    if (!reader.OpenSame(output.Descriptor())) {
        return resVerificationFailed;
    }
    DeviceSource source(reader);
    ContainerCheck check;
    const ContainerCheckOptions options{.useThreads = true, .host = &host};
    const bool same = CheckContainer(source, options, check) == resDone && check.contentCrc == expected.crc &&
                      check.contentSize == expected.size && check.storedName == expected.storedName;
    return same ? resDone : resVerificationFailed;
}

ResultCode ReadBackPlainFile(const FileHandle& output, const ExpectedContent& expected, FileOperationHost& host) {
    DeviceReader reader;
    SecureBuffer piece = SecureBuffer::TryAllocate(kPlainPieceSize);
    if (piece.Empty() || !reader.OpenSame(output.Descriptor())) {
        return resVerificationFailed;
    }
    std::uint32_t crc = 0xFFFFFFFF;
    std::uint64_t size = 0;
    for (;;) {
        const std::int64_t got = reader.Read(piece.Data(), kPlainPieceSize);
        if (got < 0) {
            return resVerificationFailed;
        }
        if (got == 0) {
            break;
        }
        crc = Crc32Update(piece.Data(), static_cast<std::size_t>(got), crc);
        size += static_cast<std::uint64_t>(got);
        host.ProcessMessages();
    }
    return ~crc == expected.crc && size == expected.size ? resDone : resVerificationFailed;
}

} // namespace vlt
