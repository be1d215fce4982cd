#include "support/lzh/lzh_huffman.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>

namespace vlt::lzh {
namespace {

// One bit per 16-bit weight, at the top of its lane in memory order, set where the
// weight is at least `weight`. Weights of nodes below the root stay under 0x8000, so
// the lanes are compared 15 bits wide; a lane with its top bit set (the root at 0x8000,
// the sentinels) always counts as heavier.
std::uint64_t NotLighter(const std::uint16_t* weights, unsigned weight) {
    constexpr std::uint64_t kTopBits = 0x8000800080008000ull;
    std::uint64_t lanes = 0;
    for (int i = 0; i < 4; ++i) {
        lanes |= static_cast<std::uint64_t>(weights[i]) << (16 * i);
    }
    const std::uint64_t wanted = 0x0001000100010001ull * weight;
    return (((lanes | kTopBits) - wanted) | lanes) & kTopBits;
}

} // namespace

void AdaptiveHuffman::Start() {
    for (int i = 0; i < kSymbolCount; ++i) {
        frequency_[i] = 1;
        child_[i] = static_cast<std::uint16_t>(i + kNodeCount);
        parent_[i + kNodeCount] = static_cast<std::uint16_t>(i);
    }
    for (int i = 0, j = kSymbolCount; j <= kRoot; i += 2, ++j) {
        frequency_[j] = static_cast<std::uint16_t>(frequency_[i] + frequency_[i + 1]);
        child_[j] = static_cast<std::uint16_t>(i);
        parent_[i] = parent_[i + 1] = static_cast<std::uint16_t>(j);
    }
    std::fill(std::begin(frequency_) + kNodeCount, std::end(frequency_), 0xFFFF);
    parent_[kRoot] = 0;
}

unsigned AdaptiveHuffman::SwapForward(unsigned node, unsigned weight) {
    // The last node with a weight below the new one: the weights behind node are in
    // order, so this is the node before the first one that is not lighter. Four weights
    // are tested at once; long runs of equal weights are common (every weight starts at 1).
    unsigned last = node + 1;
    for (;;) {
        const std::uint64_t heavier = NotLighter(&frequency_[last + 1], weight);
        if (heavier != 0) {
            last += static_cast<unsigned>(std::countr_zero(heavier)) / 16;
            break;
        }
        last += 4;
    }
    frequency_[node] = frequency_[last];
    frequency_[last] = static_cast<std::uint16_t>(weight);

    const unsigned moved = child_[node];
    parent_[moved] = static_cast<std::uint16_t>(last);
    if (moved < kNodeCount) {
        parent_[moved + 1] = static_cast<std::uint16_t>(last);
    }
    const unsigned displaced = child_[last];
    child_[last] = static_cast<std::uint16_t>(moved);
    parent_[displaced] = static_cast<std::uint16_t>(node);
    if (displaced < kNodeCount) {
        parent_[displaced + 1] = static_cast<std::uint16_t>(node);
    }
    child_[node] = static_cast<std::uint16_t>(displaced);
    return last;
}

void AdaptiveHuffman::UpdateFrom(unsigned node) {
    // The root's parent entry is 0, which is never the parent of another node.
    do {
        const unsigned weight = ++frequency_[node];
        if (weight > frequency_[node + 1]) {
            node = SwapForward(node, weight);
        }
        node = parent_[node];
    } while (node != 0);
}

void AdaptiveHuffman::Rebuild() {
    int leaves = 0;
    for (int i = 0; i < kNodeCount; ++i) {
        if (child_[i] >= kNodeCount) {
            frequency_[leaves] = static_cast<std::uint16_t>((frequency_[i] + 1) / 2);
            child_[leaves] = child_[i];
            ++leaves;
        }
    }
    for (int i = 0, j = kSymbolCount; j < kNodeCount; i += 2, ++j) {
        const unsigned weight = frequency_[i] + frequency_[i + 1];
        int k = j - 1;
        while (weight < frequency_[k]) {
            --k;
        }
        ++k;
        const std::size_t moved = static_cast<std::size_t>(j - k);
        std::memmove(&frequency_[k + 1], &frequency_[k], moved * sizeof(frequency_[0]));
        std::memmove(&child_[k + 1], &child_[k], moved * sizeof(child_[0]));
        frequency_[k] = static_cast<std::uint16_t>(weight);
        child_[k] = static_cast<std::uint16_t>(i);
    }
    for (int i = 0; i < kNodeCount; ++i) {
        const unsigned k = child_[i];
        parent_[k] = static_cast<std::uint16_t>(i);
        if (k < kNodeCount) {
            parent_[k + 1] = static_cast<std::uint16_t>(i);
        }
    }
}

} // namespace vlt::lzh
