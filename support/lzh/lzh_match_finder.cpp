#include "support/lzh/lzh_match_finder.h"

#include "support/lzh/lzh_bit_io.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace vlt::lzh {

// Bytes 1..16 of a string as two ordered words.
struct StringHead {
    std::uint64_t high; // bytes 1..8
    std::uint64_t low;  // bytes 9..16
};

namespace {

constexpr int kLeft = 0;
constexpr int kRight = 1;

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

// Big-endian words: comparing two of them compares their bytes in string order, so
// the walk's direction needs no search for the differing byte.
StringHead LoadHead(const std::uint8_t* string) {
    return {LoadBigEndian64(string + 1), LoadBigEndian64(string + 9)};
}

bool operator!=(const StringHead& a, const StringHead& b) {
    return ((a.high ^ b.high) | (a.low ^ b.low)) != 0;
}

// The index of the first difference of two heads that differ.
int HeadMatchLength(const StringHead& a, const StringHead& b) {
    const std::uint64_t high = a.high ^ b.high;
    const int zeros = high != 0 ? std::countl_zero(high) : 64 + std::countl_zero(a.low ^ b.low);
    return 1 + zeros / 8;
}

// The rarer case of strings that agree on bytes 1..16: the rest, eight bytes at a time.
[[gnu::noinline]] Comparison CompareFromByte17(const std::uint8_t* key, const std::uint8_t* node) {
    for (int i = 17; i < kMaxMatch; i += 8) {
        const std::uint64_t a = LoadBigEndian64(key + i);
        const std::uint64_t b = LoadBigEndian64(node + i);
        if (a != b) {
            return CompareWords(i, a, b);
        }
    }
    return {kMaxMatch, kRight};
}

// A candidate's rank: longer matches first, then nearer ones ((p - r) mod the window
// size grows as the distance r - p shrinks). Candidates too short to use are ranked as
// well and only dropped once at the end (SetMatch): they rank below every usable one,
// and a test at every step would be a branch that often misses.
unsigned MatchRank(int length, unsigned p, int r) {
    return static_cast<unsigned>(length << 12) | ((p - static_cast<unsigned>(r)) & (kWindowSize - 1));
}

// The next node of the walk with what was fetched for it.
struct Candidate {
    std::size_t node;
    StringHead head;
    std::uint32_t children;
};

// Takes the right child when the key sorts after the node (key > head as 128-bit
// numbers), by conditional moves: the direction is unpredictable, a branch would miss
// half of the time, and the compiler turns plain selections here into branches.
bool ChooseRightIfGreater(const StringHead& key, const StringHead& head, Candidate& chosen, const Candidate& right) {
#if defined(__x86_64__)
    bool goRight;
    std::uint64_t borrow = head.high;
    asm("cmpq %[keyLow], %[headLow]\n\t"
        "sbbq %[keyHigh], %[borrow]\n\t"
        "cmovbq %[rightNode], %[node]\n\t"
        "cmovbq %[rightHigh], %[chosenHigh]\n\t"
        "cmovbq %[rightLow], %[chosenLow]\n\t"
        "cmovbl %[rightChildren], %[chosenChildren]"
        : [node] "+r"(chosen.node), [chosenHigh] "+r"(chosen.head.high), [chosenLow] "+r"(chosen.head.low),
          [chosenChildren] "+r"(chosen.children), [borrow] "+r"(borrow), "=@ccb"(goRight)
        : [keyHigh] "rm"(key.high), [keyLow] "rm"(key.low), [headLow] "r"(head.low), [rightNode] "rm"(right.node),
          [rightHigh] "rm"(right.head.high), [rightLow] "rm"(right.head.low), [rightChildren] "rm"(right.children));
    return goRight;
#else
    const bool goRight = key.high > head.high || (key.high == head.high && key.low > head.low);
    const std::uint64_t mask = 0 - static_cast<std::uint64_t>(goRight);
    chosen.node ^= (chosen.node ^ right.node) & mask;
    chosen.head.high ^= (chosen.head.high ^ right.head.high) & mask;
    chosen.head.low ^= (chosen.head.low ^ right.head.low) & mask;
    chosen.children ^= (chosen.children ^ right.children) & static_cast<std::uint32_t>(mask);
    return goRight;
#endif
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

// One insertion: the walk from the root of the string's tree down to where it joins
// (or to an equal string, whose place it takes), one node per Step.
template <bool kRanked> class MatchFinder::Walk {
public:
    // Begins the insertion of the string at r; an empty tree finishes it at once.
    Walk(MatchFinder& finder, int r) : r_(r) {
        const std::uint8_t* key = &finder.text[r];
        finder.children_[r][kLeft] = finder.children_[r][kRight] = kNil;
        const unsigned root = kWindowSize + 1 + key[0];
        p_ = finder.children_[root][kRight];
        if (p_ == kNil) {
            finder.children_[root][kRight] = static_cast<std::uint16_t>(r);
            finder.parent_[r] = static_cast<std::uint16_t>(root);
            return;
        }
        key_ = LoadHead(key);
        head_ = LoadHead(&finder.text[p_]);
        children_ = LoadPair(finder.children_[p_]);
    }

    // False when the string joined its tree on construction (the tree was empty).
    [[nodiscard]] bool Started() const { return p_ != kNil; }
    // The best candidate's rank; 0 when the tree was empty.
    [[nodiscard]] unsigned Best() const { return best_; }

    // Visits the next node; returns false once the string is in the tree.
    bool Step(MatchFinder& f) {
        // Both children and their first bytes are fetched before the comparison decides
        // which one is next, so the walk does not wait for a load at every step.
        const std::size_t left = children_ & 0xFFFF;
        const std::size_t right = children_ >> 16;
        Candidate chosen{left, LoadHead(&f.text[left]), LoadPair(f.children_[left])};
        const Candidate other{right, LoadHead(&f.text[right]), LoadPair(f.children_[right])};
        bool goRight;
        if (key_ != head_) [[likely]] {
            if constexpr (kRanked) {
                best_ = std::max(best_, MatchRank(HeadMatchLength(key_, head_), p_, r_));
            }
            goRight = ChooseRightIfGreater(key_, head_, chosen, other);
        } else {
            const Comparison comparison = CompareFromByte17(&f.text[r_], &f.text[p_]);
            if constexpr (kRanked) {
                best_ = std::max(best_, MatchRank(comparison.length, p_, r_));
            }
            if (comparison.length >= kMaxMatch) {
                TakePlace(f);
                return false;
            }
            goRight = comparison.direction != 0;
            if (goRight) {
                chosen = other;
            }
        }
        if (chosen.node == kNil) {
            f.children_[p_][goRight ? kRight : kLeft] = static_cast<std::uint16_t>(r_);
            f.parent_[r_] = static_cast<std::uint16_t>(p_);
            return false;
        }
        p_ = static_cast<unsigned>(chosen.node);
        head_ = chosen.head;
        children_ = chosen.children;
        return true;
    }

private:
    // A full-length match: the new string takes the old one's place in the tree.
    void TakePlace(MatchFinder& f) {
        const unsigned up = f.parent_[p_];
        f.parent_[r_] = static_cast<std::uint16_t>(up);
        f.children_[r_][kLeft] = f.children_[p_][kLeft];
        f.children_[r_][kRight] = f.children_[p_][kRight];
        f.parent_[f.children_[p_][kLeft]] = static_cast<std::uint16_t>(r_);
        f.parent_[f.children_[p_][kRight]] = static_cast<std::uint16_t>(r_);
        f.children_[up][f.children_[up][kRight] == p_ ? kRight : kLeft] = static_cast<std::uint16_t>(r_);
        f.parent_[p_] = kNil;
    }

    const int r_;
    unsigned p_ = kNil;
    StringHead key_{};
    StringHead head_{};
    std::uint32_t children_ = 0;
    unsigned best_ = 0;
};

template <bool kRanked> void MatchFinder::InsertString(int r) {
    Walk<kRanked> walk(*this, r);
    for (bool going = walk.Started(); going;) {
        going = walk.Step(*this);
    }
    if constexpr (kRanked) {
        SetMatch(walk.Best());
    }
}

template void MatchFinder::InsertString<true>(int r);
template void MatchFinder::InsertString<false>(int r);

bool MatchFinder::CanAddTwo(int s, int r) const {
    constexpr int kMask = kWindowSize - 1;
    const std::uint8_t first = text[(r + 1) & kMask];
    const int secondLeaving = (s + 1) & kMask;
    return first != text[(r + 2) & kMask] && (parent_[secondLeaving] == kNil || text[secondLeaving] != first);
}

template <bool kSecondRanked> void MatchFinder::InsertTwo(int r) {
    Walk<false> a(*this, r);
    Walk<kSecondRanked> b(*this, (r + 1) & (kWindowSize - 1));
    bool aGoing = a.Started();
    bool bGoing = b.Started();
    while (aGoing && bGoing) {
        aGoing = a.Step(*this);
        bGoing = b.Step(*this);
    }
    while (aGoing) {
        aGoing = a.Step(*this);
    }
    while (bGoing) {
        bGoing = b.Step(*this);
    }
    if constexpr (kSecondRanked) {
        SetMatch(b.Best());
    }
}

template void MatchFinder::InsertTwo<true>(int r);
template void MatchFinder::InsertTwo<false>(int r);

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
    const std::uint32_t children = LoadPair(children_[p]);
    const unsigned left = children & 0xFFFF;
    const unsigned right = children >> 16;
    // Nodes have no bit in common with kNil, so one test covers several links.
    static_assert((kNil & (kNil - 1)) == 0 && kNil == kWindowSize);
    const bool both = ((left | right) & kNil) == 0;
    const unsigned leftsRight = children_[left][kRight];
    unsigned q;
    if ((~(left | right | leftsRight) & kNil) != 0) {
        // Both subtrees, and the left one has a right subtree: the in-order predecessor,
        // deeper down, takes p's place.
        q = leftsRight;
        while (children_[q][kRight] != kNil) {
            q = children_[q][kRight];
        }
        children_[parent_[q]][kRight] = children_[q][kLeft];
        parent_[children_[q][kLeft]] = parent_[q];
        children_[q][kLeft] = static_cast<std::uint16_t>(left);
        parent_[left] = static_cast<std::uint16_t>(q);
        children_[q][kRight] = static_cast<std::uint16_t>(right);
        parent_[right] = static_cast<std::uint16_t>(q);
    } else {
        // No subtree, one subtree, or a left child without a right subtree: that child
        // takes p's place, adopting p's right subtree in the last case. Without a branch,
        // as the cases come in no order: in the first two the adoption lands in kNil's
        // entries (the search only reads them as look-ahead, and any node number there
        // stays in bounds), and where it rewrites the parent of p's only child, the line
        // after this block sets it again.
        const unsigned bothMask = 0u - static_cast<unsigned>(both);
        q = (left & bothMask) | ((left + right - kNil) & ~bothMask);
        const unsigned adopter = (left & bothMask) | (kNil & ~bothMask);
        children_[adopter][kRight] = static_cast<std::uint16_t>(right);
        parent_[right] = static_cast<std::uint16_t>(adopter);
    }
    parent_[q] = static_cast<std::uint16_t>(up);
    children_[up][children_[up][kRight] == static_cast<unsigned>(p) ? kRight : kLeft] = static_cast<std::uint16_t>(q);
    parent_[p] = kNil;
}

} // namespace vlt::lzh
