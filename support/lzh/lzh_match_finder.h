#pragma once
// The encoder's text window and its string search: one binary search tree per first
// byte over the strings that start at the window positions. Which match is found
// depends on the exact shape of these trees, so insertion and deletion follow the
// format's procedures step by step.
#include "support/lzh/lzh_format.h"

#include <cstdint>

namespace vlt::lzh {

class MatchFinder {
public:
    // Text buffer: the ring plus a copy of its first kMaxMatch - 1 bytes behind it, so
    // strings never wrap, plus room for the word-wide compare to read past the end.
    static constexpr int kTextSize = kWindowSize + kMaxMatch - 1 + 8;

    // Empties all trees.
    void Reset();
    // Inserts the string at r and records the longest match for it.
    void Insert(int r) { InsertString<true>(r); }
    // Inserts the string at r whose match nobody asks for: the same tree, less work.
    void Add(int r) { InsertString<false>(r); }
    // Removes the string at p; a string that is in no tree is left alone.
    void Delete(int p);

    // Whether the window can move on by two positions (s and s + 1 leave, r + 1 and
    // r + 2 enter) with both deletions first and then both insertions side by side, and
    // still end in the same trees: the new strings start with different bytes (their walks
    // stay in different trees) and the second string to leave is not in the first new
    // string's tree. The bytes at s and s + 1 must not be overwritten yet.
    [[nodiscard]] bool CanAddTwo(int s, int r) const;
    // Adds the strings at r and r + 1 (ring positions) with their walks interleaved: each
    // walk waits on its loads, and the processor fills that time with the other one.
    void AddTwo(int r) { InsertTwo<false>(r); }
    // The same, recording the match of the string at r + 1 as Insert does.
    void AddThenInsert(int r) { InsertTwo<true>(r); }

    [[nodiscard]] int MatchLength() const { return matchLength_; }
    [[nodiscard]] int MatchPosition() const { return matchPosition_; }

    std::uint8_t text[kTextSize];

private:
    template <bool kRanked> class Walk;
    template <bool kRanked> void InsertString(int r);
    template <bool kSecondRanked> void InsertTwo(int r);
    // Takes the best match from its rank (length above, nearness below); a length of
    // kThreshold or less counts as no match.
    void SetMatch(unsigned rank);

    int matchLength_ = 0;
    int matchPosition_ = 0; // distance back minus 1
    // Children of each node, [0] left and [1] right, side by side so that one load
    // fetches both. Entries kWindowSize + 1 + b are the roots, using only their right child.
    std::uint16_t children_[kWindowSize + 257][2];
    std::uint16_t parent_[kWindowSize + 1];
};

} // namespace vlt::lzh
