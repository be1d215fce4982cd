#include "cipher/gost/gost_tables.h"

#include <bit>

namespace vlt::gost {

namespace {

ByteTables BuildTables() {
    ByteTables tables{};
    for (int m = 0; m < 4; ++m) {
        for (int b = 0; b < 256; ++b) {
            const auto value =
                static_cast<std::uint8_t>(GostSBoxes[2 * m][b >> 4] << 4 | GostSBoxes[2 * m + 1][b & 15]);
            tables.T[m][b] = value;
            tables.Rotated[m][b] = std::rotl(static_cast<std::uint32_t>(value) << (24 - 8 * m), 11);
        }
    }
    return tables;
}

} // namespace

const ByteTables& PrepareTables() {
    static const ByteTables tables = BuildTables();
    return tables;
}

} // namespace vlt::gost
