#pragma once
// A plain, slow transcription of the block codec's procedures, kept beside the tests
// as the judge of the fast codec: one bit at a time, one node at a time.
#include <cstdint>
#include <vector>

namespace vlt::testing {

// A literal (symbol < 256) or a match (symbol 253 + length) with its position.
struct LzhToken {
    int symbol;
    int position;
};

class ReferenceLzh {
public:
    // Codes the given symbols and positions as one block, without the string search.
    std::vector<std::uint8_t> EncodeTokens(const std::vector<LzhToken>& tokens);
    std::vector<std::uint8_t> Compress(const std::vector<std::uint8_t>& source);
    std::vector<std::uint8_t> Decompress(const std::vector<std::uint8_t>& source, std::uint32_t m);
    // The longest Huffman code sent or read since construction, in bits.
    int LongestCode() const { return longestCode_; }

private:
    static constexpr int N = 4096;
    static constexpr int F = 60;
    static constexpr int THRESHOLD = 2;
    static constexpr int NIL = N;
    static constexpr int N_CHAR = 256 - THRESHOLD + F;
    static constexpr int T = N_CHAR * 2 - 1;
    static constexpr int R = T - 1;
    static constexpr unsigned MAX_FREQ = 0x8000;

    void StartBlock();
    void InitTree();
    void InsertNode(int r);
    void DeleteNode(int p);
    void StartHuff();
    void Reconst();
    void Update(int c);
    void PutBit(int bit);
    void EncodeChar(unsigned c);
    void EncodePosition(unsigned c);
    int GetBit();
    int DecodeChar();
    int DecodePosition();

    std::uint8_t textBuf_[N + F - 1] = {};
    int matchPosition_ = 0;
    int matchLength_ = 0;
    int lson_[N + 1] = {};
    int rson_[N + 257] = {};
    int dad_[N + 1] = {};
    unsigned freq_[T + 1] = {};
    int prnt_[T + N_CHAR] = {};
    int son_[T] = {};

    std::vector<std::uint8_t> out_;
    int outBits_ = 0;
    const std::vector<std::uint8_t>* in_ = nullptr;
    std::size_t inBit_ = 0;
    int longestCode_ = 0;
};

} // namespace vlt::testing
