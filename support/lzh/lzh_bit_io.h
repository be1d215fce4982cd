#pragma once
// Bit packing of the block codec: most significant bit first, bytes in stream order.
// Both sides work on 64-bit words so that a Huffman code and a match position fit one
// buffer without per-bit calls.
#include <bit>
#include <cstdint>
#include <cstring>

namespace vlt::lzh {

inline std::uint64_t LoadBigEndian64(const std::uint8_t* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    if constexpr (std::endian::native == std::endian::little) {
        word = __builtin_bswap64(word);
    }
    return word;
}

inline void StoreBigEndian32(std::uint8_t* p, std::uint32_t word) {
    if constexpr (std::endian::native == std::endian::little) {
        word = __builtin_bswap32(word);
    }
    std::memcpy(p, &word, sizeof word);
}

// Collects codes in the low bits of a 64-bit word and writes 32 bits at a time. Never
// writes past the limit: output that would not fit sets Overflowed() instead.
class BitWriter {
public:
    BitWriter(std::uint8_t* out, std::uint8_t* limit) : out_(out), limit_(limit) {}

    // Appends the low `length` bits of code (1..32 bits).
    void Put(std::uint32_t code, int length) {
        pending_ = (pending_ << length) | code;
        count_ += length;
        if (count_ >= 32) {
            count_ -= 32;
            if (limit_ - out_ < 4) {
                overflowed_ = true;
                return;
            }
            StoreBigEndian32(out_, static_cast<std::uint32_t>(pending_ >> count_));
            out_ += 4;
        }
    }

    // Writes the bits still pending, the last byte padded with zero bits.
    void Flush() {
        while (count_ > 0 && !overflowed_) {
            if (out_ == limit_) {
                overflowed_ = true;
                return;
            }
            const int shift = count_ - 8;
            *out_++ = static_cast<std::uint8_t>(shift >= 0 ? pending_ >> shift : pending_ << -shift);
            count_ = shift > 0 ? shift : 0;
        }
    }

    [[nodiscard]] bool Overflowed() const { return overflowed_; }
    [[nodiscard]] const std::uint8_t* Position() const { return out_; }

private:
    std::uint8_t* out_;
    std::uint8_t* limit_;
    std::uint64_t pending_ = 0;
    int count_ = 0;
    bool overflowed_ = false;
};

// Keeps the next stream bits left-aligned in a 64-bit word; past the end of the source
// the stream continues with zero bits. Never reads outside [in, end).
class BitReader {
public:
    BitReader(const std::uint8_t* in, const std::uint8_t* end) : in_(in), end_(end) {}

    // Makes at least 56 bits available.
    void Refill() {
        if (count_ > 56) {
            return;
        }
        if (end_ - in_ >= 8) {
            bits_ |= LoadBigEndian64(in_) >> count_;
            in_ += (63 - count_) >> 3;
            count_ |= 56;
            return;
        }
        while (count_ <= 56) {
            const std::uint64_t byte = in_ < end_ ? *in_++ : 0;
            bits_ |= byte << (56 - count_);
            count_ += 8;
        }
    }

    // The next bits, left-aligned (at least 56 valid after Refill).
    [[nodiscard]] std::uint64_t Peek() const { return bits_; }
    void Skip(int length) {
        bits_ <<= length;
        count_ -= length;
    }

private:
    const std::uint8_t* in_;
    const std::uint8_t* end_;
    std::uint64_t bits_ = 0;
    int count_ = 0;
};

} // namespace vlt::lzh
