#include "support/lzh_samples.h"

#include <algorithm>
#include <array>
#include <random>
#include <string_view>

namespace vlt::testing {

std::vector<std::uint8_t> TextSample(std::size_t n, std::uint32_t seed) {
    static constexpr std::array<std::string_view, 24> kWords = {
        "the",   "file",   "is",     "encrypted", "with",  "a",      "passphrase", "block",
        "of",    "data",   "window", "and",       "match", "length", "position",   "Vaultane",
        "every", "stored", "byte",   "counts",    "into",  "buffer", "which",      "1995"};
    std::mt19937 random(seed);
    std::vector<std::uint8_t> text;
    text.reserve(n + 16);
    while (text.size() < n) {
        const auto word = kWords[random() % kWords.size()];
        text.insert(text.end(), word.begin(), word.end());
        const unsigned pick = random() % 16;
        text.push_back(pick == 0 ? '\n' : pick == 1 ? ',' : pick == 2 ? '.' : ' ');
    }
    text.resize(n);
    return text;
}

std::vector<std::uint8_t> BinarySample(std::size_t n, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(n + 32);
    const auto next = [&random] { return static_cast<std::uint32_t>(random()); };
    std::uint32_t counter = next();
    while (bytes.size() < n) {
        counter += 1 + next() % 4;
        const std::uint32_t fields[4] = {counter, next() % 100, next() % 2 ? 0u : 0xFFFFu, next()};
        for (const std::uint32_t field : fields) {
            for (int b = 0; b < 4; ++b) {
                bytes.push_back(static_cast<std::uint8_t>(field >> (8 * b)));
            }
        }
        bytes.insert(bytes.end(), next() % 16, 0);
    }
    bytes.resize(n);
    return bytes;
}

std::vector<LzhToken> SkewedTokens(std::uint32_t seed) {
    std::mt19937 random(seed);
    // Nine symbols with weights growing like Fibonacci numbers from 350 stack a deep
    // chain above the 305 symbols that keep weight 1.
    constexpr int kChainSymbols[9] = {'e', ' ', 256, 300, 'a', 313, 0, 257, 280};
    std::vector<LzhToken> tokens;
    int previous = 349;
    int current = 349;
    for (const int symbol : kChainSymbols) {
        tokens.insert(tokens.end(), static_cast<std::size_t>(previous), LzhToken{symbol, 0});
        const int next = previous + current + 1;
        previous = current;
        current = next;
    }
    std::shuffle(tokens.begin(), tokens.end(), random);
    // Then a few of the rare symbols, each deep in the tree when it is sent.
    for (const int symbol : {int{'q'}, int{'z'}, 290, int{'Q'}}) {
        tokens.push_back(LzhToken{symbol, 0});
    }
    for (auto& token : tokens) {
        token.position = static_cast<int>(random() % 4096);
    }
    return tokens;
}

} // namespace vlt::testing
