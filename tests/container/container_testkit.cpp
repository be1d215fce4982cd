#include "container_testkit.h"

#include "wipe/wipe.h"
#include "cipher/engine_interface.h"
#include "cipher/key_derivation.h"
#include "container/crypt_context.h"
#include "support/crc.h"
#include "support/lzh/lzh_codec.h"

#include <gtest/gtest.h>

namespace vlt::testing {
namespace {

// A Blowfish engine of its own for the independent reader and writer, so they
// never disturb the process-wide engine of a run.
class BlowfishKey {
public:
    BlowfishKey(const std::string& passphrase, bool raw) : engine_(MakeAlgorithmEngine(1)) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(passphrase.data());
        const auto length = static_cast<std::uint16_t>(passphrase.size());
        if (raw) {
            engine_->SetKey(bytes, length);
        } else {
            std::uint8_t key[56];
            DeriveKey(bytes, length, key, sizeof key);
            engine_->SetKey(key, sizeof key);
        }
    }
    void EncryptCBC(std::uint8_t* data, std::size_t length, ChainingValue& chain) const {
        Cbc(data, length, chain, true);
    }
    void DecryptCBC(std::uint8_t* data, std::size_t length, ChainingValue& chain) const {
        Cbc(data, length, chain, false);
    }

private:
    void Cbc(std::uint8_t* data, std::size_t length, ChainingValue& chain, bool encrypt) const {
        std::vector<std::uint32_t> words(length / 4);
        for (std::size_t i = 0; i < words.size(); ++i) {
            words[i] = static_cast<std::uint32_t>(data[4 * i]) | static_cast<std::uint32_t>(data[4 * i + 1]) << 8 |
                       static_cast<std::uint32_t>(data[4 * i + 2]) << 16 |
                       static_cast<std::uint32_t>(data[4 * i + 3]) << 24;
        }
        if (encrypt) {
            engine_->EncryptCBC(words.data(), length / 8, chain.c0, chain.c1);
        } else {
            engine_->DecryptCBC(words.data(), length / 8, chain.c0, chain.c1);
        }
        for (std::size_t i = 0; i < words.size(); ++i) {
            for (int b = 0; b < 4; ++b) {
                data[4 * i + b] = static_cast<std::uint8_t>(words[i] >> (8 * b));
            }
        }
    }
    std::unique_ptr<BlockEngine> engine_;
};

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

std::uint32_t GetLe(const std::uint8_t* in, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = value << 8 | in[i];
    }
    return value;
}

std::vector<std::uint8_t> Padded(std::vector<std::uint8_t> bytes) {
    bytes.resize((bytes.size() + 7) / 8 * 8, 0);
    return bytes;
}

} // namespace

RunScope::RunScope(bool vlt7Mode, const std::string& passphrase, AlgorithmId first, AlgorithmId second,
                   const std::string& secondPassphrase) {
    KeyRecord keys;
    keys.firstAlgorithm = first;
    keys.firstPassphrase = reinterpret_cast<const std::uint8_t*>(passphrase.data());
    keys.firstLength = static_cast<std::uint16_t>(passphrase.size());
    keys.secondAlgorithm = second;
    keys.secondPassphrase = reinterpret_cast<const std::uint8_t*>(secondPassphrase.data());
    keys.secondLength = static_cast<std::uint16_t>(secondPassphrase.size());
    setupResult = SetupCryptContext(keys, vlt7Mode);
    EXPECT_TRUE(LzhAllocTables());
    EXPECT_TRUE(PrepareWipeBuffers());
}

RunScope::~RunScope() {
    ReleaseCryptContext();
    LzhFreeTables();
    ReleaseWipeBuffers();
}

TEncryptContext EncryptContextFor(const std::string& directory, const std::string& name) {
    TEncryptContext context;
    context.SourceDir = directory + "/";
    context.FileName = name;
    return context;
}

TDecryptContext DecryptContextFor(const std::string& directory, const std::string& name) {
    TDecryptContext context;
    context.SourceDir = directory + "/";
    context.FileName = name;
    return context;
}

std::vector<std::uint8_t> BuildContainer(const ContainerRecipe& recipe, const std::string& passphrase) {
    BlowfishKey key(passphrase, recipe.vlt7);
    ChainingValue chain{0, 0};
    std::vector<std::uint8_t> out;
    PutLe(out, recipe.generationWord, 2);
    PutLe(out, 0x75191114, 4);
    out.push_back(0x0E);

    std::vector<std::uint8_t> info{recipe.attributes};
    PutLe(info, recipe.dateTime, 4);
    info.push_back(static_cast<std::uint8_t>(recipe.storedName.size()));
    info.push_back(0);
    info.push_back(0);
    out.insert(out.end(), {0x01, 0x08, 0x08});
    PutLe(out, Crc16Update(info.data(), 8, 0), 2);
    out.push_back(8);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);

    key.EncryptCBC(info.data(), 8, chain);
    out.insert(out.end(), info.begin(), info.end());
    std::vector<std::uint8_t> name = Padded({recipe.storedName.begin(), recipe.storedName.end()});
    key.EncryptCBC(name.data(), static_cast<std::uint32_t>(name.size()), chain);
    out.insert(out.end(), name.begin(), name.end());

    const std::size_t blockSize = recipe.vlt7 ? 61440 : 245760;
    std::size_t offset = 0;
    for (;;) {
        const std::size_t n = std::min(blockSize, recipe.content.size() - offset);
        std::vector<std::uint8_t> data = Padded({recipe.content.begin() + static_cast<std::ptrdiff_t>(offset),
                                                 recipe.content.begin() + static_cast<std::ptrdiff_t>(offset + n)});
        offset += n;
        const std::uint8_t last = n < blockSize ? 0x01 : 0x00;
        out.push_back(recipe.vlt7 ? last : static_cast<std::uint8_t>(last | 0x04));
        const int width = recipe.vlt7 ? 2 : 3;
        PutLe(out, static_cast<std::uint32_t>(n), width);
        PutLe(out, static_cast<std::uint32_t>(n), width);
        key.EncryptCBC(data.data(), static_cast<std::uint32_t>(data.size()), chain);
        out.insert(out.end(), data.begin(), data.end());
        if (last) {
            break;
        }
    }
    std::vector<std::uint8_t> trailer;
    PutLe(trailer, static_cast<std::uint32_t>(recipe.content.size()), 4);
    PutLe(trailer, Crc32Of(recipe.content), 4);
    key.EncryptCBC(trailer.data(), 8, chain);
    out.insert(out.end(), trailer.begin(), trailer.end());
    return out;
}

ParsedContainer ParseContainer(const std::vector<std::uint8_t>& bytes, bool vlt7, const std::string& passphrase) {
    ParsedContainer parsed;
    if (bytes.size() < 29) {
        return parsed;
    }
    BlowfishKey key(passphrase, vlt7);
    ChainingValue chain{GetLe(&bytes[13], 4), GetLe(&bytes[17], 4)};
    parsed.storedCrc16 = static_cast<std::uint16_t>(GetLe(&bytes[10], 2));
    parsed.info.assign(bytes.begin() + 21, bytes.begin() + 29);
    key.DecryptCBC(parsed.info.data(), 8, chain);
    std::size_t at = 29;
    const std::size_t nameLength = parsed.info[5];
    const std::size_t paddedName = (nameLength + 7) / 8 * 8;
    if (bytes.size() < at + paddedName) {
        return parsed;
    }
    std::vector<std::uint8_t> name(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                   bytes.begin() + static_cast<std::ptrdiff_t>(at + paddedName));
    key.DecryptCBC(name.data(), static_cast<std::uint32_t>(name.size()), chain);
    parsed.storedName.assign(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(nameLength));
    parsed.namePadding.assign(name.begin() + static_cast<std::ptrdiff_t>(nameLength), name.end());
    at += paddedName;
    const std::size_t headerSize = vlt7 ? 5 : 7;
    for (;;) {
        if (bytes.size() < at + headerSize) {
            return parsed;
        }
        ParsedBlock block;
        block.headerOffset = at;
        block.flags = bytes[at];
        block.storedLength = vlt7 ? GetLe(&bytes[at + 1], 2) : GetLe(&bytes[at + 1], 3);
        block.originalLength = vlt7 ? GetLe(&bytes[at + 3], 2) : GetLe(&bytes[at + 4], 3);
        at += headerSize;
        const std::size_t padded = (block.storedLength + 7) / 8 * 8;
        if (bytes.size() < at + padded) {
            return parsed;
        }
        std::vector<std::uint8_t> data(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                       bytes.begin() + static_cast<std::ptrdiff_t>(at + padded));
        key.DecryptCBC(data.data(), static_cast<std::uint32_t>(padded), chain);
        data.resize(block.storedLength);
        block.storedData = std::move(data);
        at += padded;
        parsed.blocks.push_back(std::move(block));
        if (parsed.blocks.back().flags & 0x01) {
            break;
        }
    }
    if (bytes.size() < at + 8) {
        return parsed;
    }
    std::vector<std::uint8_t> trailer(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                      bytes.begin() + static_cast<std::ptrdiff_t>(at + 8));
    key.DecryptCBC(trailer.data(), 8, chain);
    parsed.trailerSize = GetLe(&trailer[0], 4);
    parsed.trailerCrc32 = GetLe(&trailer[4], 4);
    parsed.trailerEnd = at + 8;
    parsed.complete = true;
    return parsed;
}

std::uint32_t Crc32Of(const std::vector<std::uint8_t>& bytes) {
    return ~Crc32Update(bytes.data(), bytes.size(), 0xFFFFFFFF);
}

std::vector<std::uint8_t> TextBytes(std::size_t n) {
    static const std::string kText = "It was the best of times, it was the worst of times, it was the age of wisdom. ";
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i) {
        bytes[i] = static_cast<std::uint8_t>(kText[i % kText.size()]);
    }
    return bytes;
}

} // namespace vlt::testing
