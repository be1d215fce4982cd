#include "support/lzh/lzh_codec.h"

#include "support/lzh/lzh_block.h"
#include "support/secure_memory.h"

#include <memory>
#include <new>

namespace vlt {
namespace {

std::unique_ptr<lzh::CodecTables>& Tables() {
    static std::unique_ptr<lzh::CodecTables> tables;
    return tables;
}

} // namespace

bool LzhAllocTables() {
    auto& tables = Tables();
    if (!tables) {
        tables.reset(new (std::nothrow) lzh::CodecTables());
    }
    return tables != nullptr;
}

void LzhFreeTables() {
    auto& tables = Tables();
    if (tables) {
        SecureZero(tables.get(), sizeof(lzh::CodecTables));
        tables.reset();
    }
}

std::int64_t LzhCompress(const std::uint8_t* source, std::uint32_t n, std::uint8_t* destination,
                         std::uint32_t capacity) {
    if (n == 0) {
        return 0;
    }
    auto& tables = Tables();
    if (!tables) {
        return kLzhOverflow;
    }
    return lzh::CompressBlock(*tables, source, n, destination, capacity);
}

std::uint32_t LzhDecompress(const std::uint8_t* source, std::uint8_t* destination, std::uint32_t m,
                            std::uint32_t sourceLength) {
    auto& tables = Tables();
    if (m == 0 || !tables) {
        return 0;
    }
    return lzh::DecompressBlock(tables->huffman, source, destination, m, sourceLength);
}

} // namespace vlt
