#include "support/lzh_reference.h"

#include <algorithm>
#include <cstring>

namespace vlt::testing {
namespace {

// Position prefix codes, as tabulated for the format.
constexpr std::uint8_t kPLen[64] = {3, 4, 4, 4, 5, 5, 5, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6,
                                    6, 6, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,
                                    7, 7, 7, 7, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8};
constexpr std::uint8_t kPCode[64] = {0x00, 0x20, 0x30, 0x40, 0x50, 0x58, 0x60, 0x68, 0x70, 0x78, 0x80, 0x88, 0x90,
                                     0x94, 0x98, 0x9C, 0xA0, 0xA4, 0xA8, 0xAC, 0xB0, 0xB4, 0xB8, 0xBC, 0xC0, 0xC2,
                                     0xC4, 0xC6, 0xC8, 0xCA, 0xCC, 0xCE, 0xD0, 0xD2, 0xD4, 0xD6, 0xD8, 0xDA, 0xDC,
                                     0xDE, 0xE0, 0xE2, 0xE4, 0xE6, 0xE8, 0xEA, 0xEC, 0xEE, 0xF0, 0xF1, 0xF2, 0xF3,
                                     0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF};

int DecodeUpper(int byte) {
    for (int j = 0; j < 64; ++j) {
        if ((byte >> (8 - kPLen[j])) == (kPCode[j] >> (8 - kPLen[j]))) {
            return j;
        }
    }
    return -1;
}

} // namespace

// Every block starts from the same text buffer: spaces before the write position and
// zeros after it, so a block's output never depends on the blocks before it.
void ReferenceLzh::StartBlock() {
    std::memset(textBuf_, ' ', N - F);
    std::memset(textBuf_ + N - F, 0, sizeof(textBuf_) - (N - F));
    StartHuff();
}

void ReferenceLzh::InitTree() {
    for (int i = N + 1; i <= N + 256; i++) {
        rson_[i] = NIL;
    }
    for (int i = 0; i < N; i++) {
        dad_[i] = NIL;
    }
}

void ReferenceLzh::InsertNode(int r) {
    int i = 0;
    int p = N + 1 + textBuf_[r];
    int cmp = 1;
    const std::uint8_t* key = &textBuf_[r];
    rson_[r] = lson_[r] = NIL;
    matchLength_ = 0;
    for (;;) {
        if (cmp >= 0) {
            if (rson_[p] != NIL) {
                p = rson_[p];
            } else {
                rson_[p] = r;
                dad_[r] = p;
                return;
            }
        } else {
            if (lson_[p] != NIL) {
                p = lson_[p];
            } else {
                lson_[p] = r;
                dad_[r] = p;
                return;
            }
        }
        for (i = 1; i < F; i++) {
            if ((cmp = key[i] - textBuf_[p + i]) != 0) {
                break;
            }
        }
        if (i > THRESHOLD) {
            if (i > matchLength_) {
                matchPosition_ = ((r - p) & (N - 1)) - 1;
                if ((matchLength_ = i) >= F) {
                    break;
                }
            }
            if (i == matchLength_) {
                const int c = ((r - p) & (N - 1)) - 1;
                if (c < matchPosition_) {
                    matchPosition_ = c;
                }
            }
        }
    }
    dad_[r] = dad_[p];
    lson_[r] = lson_[p];
    rson_[r] = rson_[p];
    dad_[lson_[p]] = r;
    dad_[rson_[p]] = r;
    if (rson_[dad_[p]] == p) {
        rson_[dad_[p]] = r;
    } else {
        lson_[dad_[p]] = r;
    }
    dad_[p] = NIL;
}

void ReferenceLzh::DeleteNode(int p) {
    int q = 0;
    if (dad_[p] == NIL) {
        return;
    }
    if (rson_[p] == NIL) {
        q = lson_[p];
    } else if (lson_[p] == NIL) {
        q = rson_[p];
    } else {
        q = lson_[p];
        if (rson_[q] != NIL) {
            do {
                q = rson_[q];
            } while (rson_[q] != NIL);
            rson_[dad_[q]] = lson_[q];
            dad_[lson_[q]] = dad_[q];
            lson_[q] = lson_[p];
            dad_[lson_[p]] = q;
        }
        rson_[q] = rson_[p];
        dad_[rson_[p]] = q;
    }
    dad_[q] = dad_[p];
    if (rson_[dad_[p]] == p) {
        rson_[dad_[p]] = q;
    } else {
        lson_[dad_[p]] = q;
    }
    dad_[p] = NIL;
}

void ReferenceLzh::StartHuff() {
    for (int i = 0; i < N_CHAR; i++) {
        freq_[i] = 1;
        son_[i] = i + T;
        prnt_[i + T] = i;
    }
    int i = 0;
    int j = N_CHAR;
    while (j <= R) {
        freq_[j] = freq_[i] + freq_[i + 1];
        son_[j] = i;
        prnt_[i] = prnt_[i + 1] = j;
        i += 2;
        j++;
    }
    freq_[T] = 0xffff;
    prnt_[R] = 0;
}

void ReferenceLzh::Reconst() {
    int j = 0;
    for (int i = 0; i < T; i++) {
        if (son_[i] >= T) {
            freq_[j] = (freq_[i] + 1) / 2;
            son_[j] = son_[i];
            j++;
        }
    }
    for (int i = 0, j = N_CHAR; j < T; i += 2, j++) {
        const unsigned f = freq_[j] = freq_[i] + freq_[i + 1];
        int k = j - 1;
        while (f < freq_[k]) {
            k--;
        }
        k++;
        std::memmove(&freq_[k + 1], &freq_[k], (j - k) * sizeof(freq_[0]));
        freq_[k] = f;
        std::memmove(&son_[k + 1], &son_[k], (j - k) * sizeof(son_[0]));
        son_[k] = i;
    }
    for (int i = 0; i < T; i++) {
        const int k = son_[i];
        if (k >= T) {
            prnt_[k] = i;
        } else {
            prnt_[k] = prnt_[k + 1] = i;
        }
    }
}

void ReferenceLzh::Update(int c) {
    if (freq_[R] == MAX_FREQ) {
        Reconst();
    }
    c = prnt_[c + T];
    do {
        const unsigned k = ++freq_[c];
        int l = c + 1;
        if (k > freq_[l]) {
            while (k > freq_[++l]) {
            }
            l--;
            freq_[c] = freq_[l];
            freq_[l] = k;

            const int i = son_[c];
            prnt_[i] = l;
            if (i < T) {
                prnt_[i + 1] = l;
            }
            const int j = son_[l];
            son_[l] = i;
            prnt_[j] = c;
            if (j < T) {
                prnt_[j + 1] = c;
            }
            son_[c] = j;
            c = l;
        }
    } while ((c = prnt_[c]) != 0);
}

void ReferenceLzh::PutBit(int bit) {
    if (outBits_ % 8 == 0) {
        out_.push_back(0);
    }
    if (bit) {
        out_.back() |= static_cast<std::uint8_t>(0x80 >> (outBits_ % 8));
    }
    outBits_++;
}

void ReferenceLzh::EncodeChar(unsigned c) {
    std::vector<int> bits; // nearest the leaf first
    int k = prnt_[c + T];
    do {
        bits.push_back(k & 1);
    } while ((k = prnt_[k]) != R);
    for (auto it = bits.rbegin(); it != bits.rend(); ++it) {
        PutBit(*it);
    }
    longestCode_ = std::max(longestCode_, static_cast<int>(bits.size()));
    Update(static_cast<int>(c));
}

void ReferenceLzh::EncodePosition(unsigned c) {
    const unsigned i = c >> 6;
    for (int b = 0; b < kPLen[i]; ++b) {
        PutBit((kPCode[i] >> (7 - b)) & 1);
    }
    for (int b = 5; b >= 0; --b) {
        PutBit((c >> b) & 1);
    }
}

std::vector<std::uint8_t> ReferenceLzh::Compress(const std::vector<std::uint8_t>& source) {
    out_.clear();
    outBits_ = 0;
    if (source.empty()) {
        return out_;
    }
    std::size_t next = 0;
    StartBlock();
    InitTree();
    int s = 0;
    int r = N - F;
    int len = 0;
    for (; len < F && next < source.size(); len++) {
        textBuf_[r + len] = source[next++];
    }
    for (int i = 1; i <= F; i++) {
        InsertNode(r - i);
    }
    InsertNode(r);
    do {
        if (matchLength_ > len) {
            matchLength_ = len;
        }
        if (matchLength_ <= THRESHOLD) {
            matchLength_ = 1;
            EncodeChar(textBuf_[r]);
        } else {
            EncodeChar(255 - THRESHOLD + matchLength_);
            EncodePosition(matchPosition_);
        }
        const int lastMatchLength = matchLength_;
        int i = 0;
        for (; i < lastMatchLength && next < source.size(); i++) {
            const std::uint8_t c = source[next++];
            DeleteNode(s);
            textBuf_[s] = c;
            if (s < F - 1) {
                textBuf_[s + N] = c;
            }
            s = (s + 1) & (N - 1);
            r = (r + 1) & (N - 1);
            InsertNode(r);
        }
        while (i++ < lastMatchLength) {
            DeleteNode(s);
            s = (s + 1) & (N - 1);
            r = (r + 1) & (N - 1);
            if (--len) {
                InsertNode(r);
            }
        }
    } while (len > 0);
    return out_;
}

std::vector<std::uint8_t> ReferenceLzh::EncodeTokens(const std::vector<LzhToken>& tokens) {
    out_.clear();
    outBits_ = 0;
    StartBlock();
    for (const auto& token : tokens) {
        EncodeChar(static_cast<unsigned>(token.symbol));
        if (token.symbol >= 256) {
            EncodePosition(static_cast<unsigned>(token.position));
        }
    }
    return out_;
}

int ReferenceLzh::GetBit() {
    const std::size_t byte = inBit_ / 8;
    const int bit = byte < in_->size() ? ((*in_)[byte] >> (7 - inBit_ % 8)) & 1 : 0;
    inBit_++;
    return bit;
}

int ReferenceLzh::DecodeChar() {
    unsigned c = son_[R];
    int length = 0;
    while (c < T) {
        c += GetBit();
        c = son_[c];
        length++;
    }
    longestCode_ = std::max(longestCode_, length);
    c -= T;
    Update(static_cast<int>(c));
    return static_cast<int>(c);
}

int ReferenceLzh::DecodePosition() {
    unsigned i = 0;
    for (int b = 0; b < 8; ++b) {
        i = (i << 1) | GetBit();
    }
    const int upper = DecodeUpper(static_cast<int>(i));
    int j = kPLen[upper] - 2;
    while (j--) {
        i = (i << 1) + GetBit();
    }
    return (upper << 6) | static_cast<int>(i & 0x3f);
}

std::vector<std::uint8_t> ReferenceLzh::Decompress(const std::vector<std::uint8_t>& source, std::uint32_t m) {
    std::vector<std::uint8_t> out;
    in_ = &source;
    inBit_ = 0;
    StartBlock();
    int r = N - F;
    for (std::uint32_t count = 0; count < m;) {
        const int c = DecodeChar();
        if (c < 256) {
            out.push_back(static_cast<std::uint8_t>(c));
            textBuf_[r++] = static_cast<std::uint8_t>(c);
            r &= (N - 1);
            count++;
        } else {
            const int i = (r - DecodePosition() - 1) & (N - 1);
            const int j = c - 255 + THRESHOLD;
            for (int k = 0; k < j; k++) {
                const std::uint8_t b = textBuf_[(i + k) & (N - 1)];
                if (count < m) {
                    out.push_back(b);
                }
                textBuf_[r++] = b;
                r &= (N - 1);
                count++;
            }
        }
    }
    return out;
}

} // namespace vlt::testing
