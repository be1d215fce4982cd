#include "support/lzh/lzh_match_finder.h"

#include <bit>
#include <cstring>

namespace vlt::lzh {
namespace {

std::uint64_t Load64(const std::uint8_t* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Index of the first byte among 1..kMaxMatch - 1 where the strings differ, or
// kMaxMatch when they agree on all of them. Compares eight bytes at a time.
int CommonLength(const std::uint8_t* a, const std::uint8_t* b) {
    for (int i = 1; i < kMaxMatch; i += 8) {
        const std::uint64_t difference = Load64(a + i) ^ Load64(b + i);
        if (difference != 0) {
            const int byte = std::endian::native == std::endian::little ? std::countr_zero(difference) / 8
                                                                        : std::countl_zero(difference) / 8;
            return i + byte < kMaxMatch ? i + byte : kMaxMatch;
        }
    }
    return kMaxMatch;
}

} // namespace

void MatchFinder::Reset() {
    for (int i = kWindowSize + 1; i <= kWindowSize + 256; ++i) {
        right_[i] = kNil;
    }
    for (int i = 0; i < kWindowSize; ++i) {
        parent_[i] = kNil;
    }
}

void MatchFinder::Insert(int r) {
    const std::uint8_t* key = &text[r];
    unsigned p = kWindowSize + 1 + key[0];
    right_[r] = left_[r] = kNil;
    matchLength_ = 0;
    int order = 1;
    for (;;) {
        std::uint16_t* link = order >= 0 ? &right_[p] : &left_[p];
        if (*link == kNil) {
            *link = static_cast<std::uint16_t>(r);
            parent_[r] = static_cast<std::uint16_t>(p);
            return;
        }
        p = *link;
        const int length = CommonLength(key, &text[p]);
        order = length < kMaxMatch ? key[length] - text[p + length] : 0;
        if (length > kThreshold) {
            const int distance = ((r - static_cast<int>(p)) & (kWindowSize - 1)) - 1;
            if (length > matchLength_) {
                matchPosition_ = distance;
                matchLength_ = length;
                if (length >= kMaxMatch) {
                    break;
                }
            } else if (length == matchLength_ && distance < matchPosition_) {
                matchPosition_ = distance;
            }
        }
    }
    // A full-length match: the new string takes the old one's place in the tree.
    parent_[r] = parent_[p];
    left_[r] = left_[p];
    right_[r] = right_[p];
    parent_[left_[p]] = static_cast<std::uint16_t>(r);
    parent_[right_[p]] = static_cast<std::uint16_t>(r);
    if (right_[parent_[p]] == p) {
        right_[parent_[p]] = static_cast<std::uint16_t>(r);
    } else {
        left_[parent_[p]] = static_cast<std::uint16_t>(r);
    }
    parent_[p] = kNil;
}

void MatchFinder::Delete(int p) {
    if (parent_[p] == kNil) {
        return;
    }
    unsigned q;
    if (right_[p] == kNil) {
        q = left_[p];
    } else if (left_[p] == kNil) {
        q = right_[p];
    } else {
        // Both subtrees: the in-order predecessor takes p's place.
        q = left_[p];
        if (right_[q] != kNil) {
            do {
                q = right_[q];
            } while (right_[q] != kNil);
            right_[parent_[q]] = left_[q];
            parent_[left_[q]] = parent_[q];
            left_[q] = left_[p];
            parent_[left_[p]] = static_cast<std::uint16_t>(q);
        }
        right_[q] = right_[p];
        parent_[right_[p]] = static_cast<std::uint16_t>(q);
    }
    parent_[q] = parent_[p];
    if (right_[parent_[p]] == p) {
        right_[parent_[p]] = static_cast<std::uint16_t>(q);
    } else {
        left_[parent_[p]] = static_cast<std::uint16_t>(q);
    }
    parent_[p] = kNil;
}

} // namespace vlt::lzh
