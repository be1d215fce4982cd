#include "support/lzh/lzh_match_finder.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace vlt::lzh {
namespace {

constexpr int kLeft = 0;
constexpr int kRight = 1;

// Eight bytes as a big-endian number: comparing two such numbers compares the bytes
// in string order, so the walk's direction needs no search for the differing byte.
std::uint64_t LoadOrdered(const std::uint8_t* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    if constexpr (std::endian::native == std::endian::little) {
        word = __builtin_bswap64(word);
    }
    return word;
}

// How the string at key compares with the one at node over bytes 1..kMaxMatch - 1:
// the index of the first difference (kMaxMatch when there is none) and whether the key
// sorts right of the node (its byte there is not smaller).
struct Comparison {
    int length;
    unsigned direction;
};

Comparison CompareWords(int offset, std::uint64_t a, std::uint64_t b) {
    const int length = offset + std::countl_zero(a ^ b) / 8;
    if (length >= kMaxMatch) {
        return {kMaxMatch, kRight};
    }
    return {length, a > b ? 1u : 0u};
}

// The rarer case of strings that agree on bytes 1..8: the rest, eight bytes at a time.
[[gnu::noinline]] Comparison CompareFromNinthByte(const std::uint8_t* key, const std::uint8_t* node) {
    for (int i = 9; i < kMaxMatch; i += 8) {
        const std::uint64_t a = LoadOrdered(key + i);
        const std::uint64_t b = LoadOrdered(node + i);
        if (a != b) {
            return CompareWords(i, a, b);
        }
    }
    return {kMaxMatch, kRight};
}

// A candidate's rank: longer matches first, then nearer ones. Candidates too short to
// use are ranked as well and only dropped once at the end (SetMatch): they rank below
// every usable one, and a test at every step would be a branch that often misses.
unsigned MatchRank(int length, int distance) {
    return static_cast<unsigned>(length << 12 | (kWindowSize - 1 - distance));
}

std::uint32_t LoadPair(const std::uint16_t (&pair)[2]) {
    std::uint32_t both;
    std::memcpy(&both, pair, sizeof both);
    return both;
}

} // namespace

void MatchFinder::Reset() {
    for (int i = kWindowSize + 1; i <= kWindowSize + 256; ++i) {
        children_[i][kRight] = kNil;
    }
    for (int i = 0; i < kWindowSize; ++i) {
        parent_[i] = kNil;
    }
    // The search looks one level ahead, also below empty links.
    children_[kNil][kLeft] = children_[kNil][kRight] = 0;
}

void MatchFinder::Insert(int r) {
    const std::uint8_t* key = &text[r];
    children_[r][kLeft] = children_[r][kRight] = kNil;
    unsigned p = kWindowSize + 1 + key[0];
    unsigned next = children_[p][kRight];
    if (next == kNil) {
        children_[p][kRight] = static_cast<std::uint16_t>(r);
        parent_[r] = static_cast<std::uint16_t>(p);
        matchLength_ = 0;
        return;
    }
    const std::uint64_t keyWord = LoadOrdered(key + 1);
    unsigned best = 0;
    p = next;
    std::uint64_t word = LoadOrdered(&text[p + 1]);
    std::uint32_t children = LoadPair(children_[p]);
    for (;;) {
        // Both children and their first bytes are fetched before the comparison decides
        // which one is next, so the walk does not wait for a load at every step.
        const unsigned left = children & 0xFFFF;
        const unsigned right = children >> 16;
        const std::uint64_t leftWord = LoadOrdered(&text[left + 1]);
        const std::uint64_t rightWord = LoadOrdered(&text[right + 1]);
        const std::uint32_t leftChildren = LoadPair(children_[left]);
        const std::uint32_t rightChildren = LoadPair(children_[right]);

        const Comparison comparison =
            keyWord != word ? CompareWords(1, keyWord, word) : CompareFromNinthByte(key, &text[p]);
        const int distance = ((r - static_cast<int>(p)) & (kWindowSize - 1)) - 1;
        best = std::max(best, MatchRank(comparison.length, distance));
        if (comparison.length >= kMaxMatch) {
            break;
        }
        // Selected by masks: which way the walk goes is unpredictable, a branch would
        // miss about half of the time.
        const std::uint64_t wordMask = 0 - static_cast<std::uint64_t>(comparison.direction);
        const std::uint32_t mask = static_cast<std::uint32_t>(wordMask);
        next = (right & mask) | (left & ~mask);
        if (next == kNil) {
            children_[p][comparison.direction] = static_cast<std::uint16_t>(r);
            parent_[r] = static_cast<std::uint16_t>(p);
            SetMatch(best);
            return;
        }
        p = next;
        word = (rightWord & wordMask) | (leftWord & ~wordMask);
        children = (rightChildren & mask) | (leftChildren & ~mask);
    }
    SetMatch(best);
    // A full-length match: the new string takes the old one's place in the tree.
    const unsigned up = parent_[p];
    parent_[r] = static_cast<std::uint16_t>(up);
    children_[r][kLeft] = children_[p][kLeft];
    children_[r][kRight] = children_[p][kRight];
    parent_[children_[p][kLeft]] = static_cast<std::uint16_t>(r);
    parent_[children_[p][kRight]] = static_cast<std::uint16_t>(r);
    children_[up][children_[up][kRight] == p ? kRight : kLeft] = static_cast<std::uint16_t>(r);
    parent_[p] = kNil;
}

void MatchFinder::SetMatch(unsigned rank) {
    matchLength_ = static_cast<int>(rank >> 12);
    if (matchLength_ <= kThreshold) {
        matchLength_ = 0; // no usable match; the position keeps its earlier value
        return;
    }
    matchPosition_ = kWindowSize - 1 - static_cast<int>(rank & (kWindowSize - 1));
}

void MatchFinder::Delete(int p) {
    const unsigned up = parent_[p];
    if (up == kNil) {
        return;
    }
    unsigned q;
    if (children_[p][kRight] == kNil) {
        q = children_[p][kLeft];
    } else if (children_[p][kLeft] == kNil) {
        q = children_[p][kRight];
    } else {
        // Both subtrees: the in-order predecessor takes p's place.
        q = children_[p][kLeft];
        if (children_[q][kRight] != kNil) {
            do {
                q = children_[q][kRight];
            } while (children_[q][kRight] != kNil);
            children_[parent_[q]][kRight] = children_[q][kLeft];
            parent_[children_[q][kLeft]] = parent_[q];
            children_[q][kLeft] = children_[p][kLeft];
            parent_[children_[p][kLeft]] = static_cast<std::uint16_t>(q);
        }
        children_[q][kRight] = children_[p][kRight];
        parent_[children_[p][kRight]] = static_cast<std::uint16_t>(q);
    }
    parent_[q] = static_cast<std::uint16_t>(up);
    children_[up][children_[up][kRight] == static_cast<unsigned>(p) ? kRight : kLeft] = static_cast<std::uint16_t>(q);
    parent_[p] = kNil;
}

} // namespace vlt::lzh
