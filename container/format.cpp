#include "container/format.h"

#include "support/little_endian.h"
#include "support/file_access.h"

namespace vlt {

std::size_t EncodeBlockHeader(const BlockHeader& header, bool vlt7Mode, std::uint8_t* out) {
    if (vlt7Mode) {
        out[0] = static_cast<std::uint8_t>(header.flags & ~bfLongHeader);
        PutLe16(out + 1, header.storedLength);
        PutLe16(out + 3, header.originalLength);
        return kVlt7Format.blockHeaderSize;
    }
    out[0] = static_cast<std::uint8_t>(header.flags | bfLongHeader);
    PutLe16(out + 1, header.storedLength);
    out[3] = static_cast<std::uint8_t>(header.storedLength >> 16);
    PutLe16(out + 4, header.originalLength);
    out[6] = static_cast<std::uint8_t>(header.originalLength >> 16);
    return kVlt95Format.blockHeaderSize;
}

BlockHeader DecodeBlockHeader(const std::uint8_t* in, bool vlt7Mode) {
    BlockHeader header;
    header.flags = in[0];
    if (vlt7Mode) {
        header.storedLength = GetLe16(in + 1);
        header.originalLength = GetLe16(in + 3);
    } else {
        header.storedLength = GetLe16(in + 1) | static_cast<std::uint32_t>(in[3]) << 16;
        header.originalLength = GetLe16(in + 4) | static_cast<std::uint32_t>(in[6]) << 16;
    }
    return header;
}

CheckResult CheckEncryptedHeader(const std::uint8_t* header, std::size_t got) {
    if (got >= kFileHeaderSize && GetLe32(header + 2) == FormatMagic) {
        return {ceEncrypted, static_cast<std::uint16_t>(GetLe16(header))};
    }
    return {ceNotEncrypted, 0};
}

CheckResult CheckEncrypted(const std::string& path) {
    FileHandle file = SafeOpen(path, omRead);
    if (!file.IsOpen()) {
        return {resIOError, 0};
    }
    std::uint8_t header[kFileHeaderSize] = {};
    const std::int64_t got = SafeRead(header, 1, sizeof header, file);
    const CheckResult result = CheckEncryptedHeader(header, got > 0 ? static_cast<std::size_t>(got) : 0);
    if (!SafeClose(file)) {
        return {resFatalError, 0};
    }
    return result;
}

} // namespace vlt
