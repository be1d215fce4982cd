#pragma once
// The adaptive Huffman model that codes literals and match lengths. Encoder and
// decoder keep identical copies and update them after every symbol.
//
// Nodes are stored in order of non-decreasing weight and siblings are always the
// pair (2k, 2k + 1), so a node's own index is its code bit. The root weight never
// exceeds 0x8000 and a leaf at depth d needs a root weight of at least the
// Fibonacci number F(d + 2), so no code is longer than 21 bits; the bit buffers
// still take up to 32 bits at once.
#include "support/lzh/lzh_format.h"

#include <cstdint>

namespace vlt::lzh {

class AdaptiveHuffman {
public:
    // Every symbol with weight 1, in a balanced tree.
    void Start();

    // The code of a symbol, its first bit in the highest position, and the nodes on
    // its path (the path is written backwards from pathEnd; returns the code length).
    int Code(unsigned symbol, std::uint32_t& code, std::uint16_t* pathEnd) const {
        unsigned node = parent_[symbol + kNodeCount];
        std::uint32_t bits = 0;
        int length = 0;
        do {
            *--pathEnd = static_cast<std::uint16_t>(node);
            bits |= (node & 1u) << length;
            ++length;
            node = parent_[node];
        } while (node != kRoot);
        code = bits;
        return length;
    }

    // First node of the root's children.
    unsigned RootChildren() const { return child_[kRoot]; }
    // Children of a node, or symbol + kNodeCount for a leaf.
    unsigned Child(unsigned node) const { return child_[node]; }

    // Counts one more occurrence of the symbol whose path (from the root's child down to
    // the leaf's node, depth entries) was just coded.
    void Update(unsigned symbol, const std::uint16_t* path, int depth) {
        if (frequency_[kRoot] == kRebuildFrequency) {
            Rebuild();
            UpdateFrom(parent_[symbol + kNodeCount]);
            return;
        }
        // Most increments keep the order; the first one that does not goes the slow way.
        for (int i = depth - 1; i >= 0; --i) {
            const unsigned node = path[i];
            const unsigned weight = ++frequency_[node];
            if (weight > frequency_[node + 1]) {
                UpdateFrom(parent_[SwapForward(node, weight)]);
                return;
            }
        }
        ++frequency_[kRoot];
    }

private:
    // Moves the node whose weight just grew past its successor behind the last node of
    // smaller weight; returns its new index.
    unsigned SwapForward(unsigned node, unsigned weight);
    // Increments from the node up to the root, swapping where the order demands.
    void UpdateFrom(unsigned node);
    // Halves all leaf weights and builds the tree anew.
    void Rebuild();

    // Weights in tree order; the entries from kNodeCount on are sentinels above every weight.
    std::uint16_t frequency_[kNodeCount + 4];
    std::uint16_t parent_[kNodeCount + kSymbolCount]; // entries from kNodeCount on: leaf positions
    std::uint16_t child_[kNodeCount];                 // first of two children, or symbol + kNodeCount for a leaf
};

} // namespace vlt::lzh
