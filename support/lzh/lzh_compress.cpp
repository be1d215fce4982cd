#include "support/lzh/lzh_block.h"
#include "support/lzh/lzh_symbol_writer.h"

#include <algorithm>
#include <cstring>

namespace vlt::lzh {
namespace {

// Only the string after a coded symbol needs its match; the others just join the tree.
void AddOrInsert(MatchFinder& finder, int r, bool matchWanted) {
    if (matchWanted) {
        finder.Insert(r);
    } else {
        finder.Add(r);
    }
}

} // namespace

std::int64_t CompressBlock(CodecTables& tables, const std::uint8_t* source, std::uint32_t n, std::uint8_t* destination,
                           std::uint32_t capacity) {
    if (n == 0) {
        return 0;
    }
    MatchFinder& finder = tables.finder;
    std::uint8_t* text = finder.text;
    tables.huffman.Start();
    finder.Reset();
    // Spaces before the first string; zeros behind it instead of whatever an earlier
    // block left there. Near the end of a short block those bytes can decide between
    // equally long matches (lengths are always cut to the bytes that remain), so any
    // content decodes the same, and fixed content makes the output depend on this
    // block alone.
    std::memset(text, kPrefill, kTextStart);
    std::memset(text + kTextStart, 0, MatchFinder::kTextSize - kTextStart);

    const std::uint8_t* next = source;
    const std::uint8_t* const end = source + n;
    int lookahead = static_cast<int>(std::min<std::uint32_t>(n, kMaxMatch));
    std::memcpy(text + kTextStart, next, static_cast<std::size_t>(lookahead));
    next += lookahead;
    int r = kTextStart;
    int s = 0;
    for (int i = 1; i <= kMaxMatch; ++i) {
        finder.Add(r - i);
    }
    finder.Insert(r);

    BitWriter writer(destination, destination + capacity);
    SymbolWriter symbols(tables.huffman, writer);
    do {
        int matchLength = std::min(finder.MatchLength(), lookahead);
        if (matchLength <= kThreshold) {
            matchLength = 1;
            symbols.Symbol(text[r]);
        } else {
            symbols.Symbol(static_cast<unsigned>(255 - kThreshold + matchLength));
            symbols.Position(static_cast<unsigned>(finder.MatchPosition()));
        }
        if (writer.Overflowed()) {
            return -1;
        }
        int step = 0;
        for (; step < matchLength && next < end; ++step) {
            // Two steps at a time where the result is the same; only the last step's
            // string needs its match.
            const bool pair = step + 1 < matchLength && end - next >= 2 && finder.CanAddTwo(s, r);
            for (int k = pair ? 2 : 1; k > 0; --k) {
                finder.Delete(s);
                const std::uint8_t c = *next++;
                text[s] = c;
                if (s < kMaxMatch - 1) {
                    text[s + kWindowSize] = c;
                }
                s = (s + 1) & (kWindowSize - 1);
                r = (r + 1) & (kWindowSize - 1);
            }
            if (pair) {
                ++step;
                if (step + 1 == matchLength) {
                    finder.AddThenInsert((r - 1) & (kWindowSize - 1));
                } else {
                    finder.AddTwo((r - 1) & (kWindowSize - 1));
                }
            } else {
                AddOrInsert(finder, r, step + 1 == matchLength);
            }
        }
        for (; step < matchLength; ++step) {
            finder.Delete(s);
            s = (s + 1) & (kWindowSize - 1);
            r = (r + 1) & (kWindowSize - 1);
            if (--lookahead != 0) {
                AddOrInsert(finder, r, step + 1 == matchLength);
            }
        }
    } while (lookahead > 0);
    writer.Flush();
    if (writer.Overflowed()) {
        return -1;
    }
    return writer.Position() - destination;
}

} // namespace vlt::lzh
