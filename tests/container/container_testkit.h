#pragma once
// Fixtures of the container tests: a scripted file-operation host, a keyed run, and a reader and
// writer of the container built straight on the engine interface, so the layout
// is checked against an implementation that shares nothing with the one-file
// operations.
#include "cipher/algorithm_table.h"
#include "container/decrypt_file.h"
#include "container/encrypt_file.h"
#include "container/file_operation_host.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vlt::testing {

inline const std::string kPassphrase = "correct horse battery";

class ScriptedFileOperationHost : public FileOperationHost {
public:
    bool JobProgress(ProgressKind kind, std::int32_t amount) override {
        progress.emplace_back(kind, amount);
        return stopAtCall > 0 && static_cast<int>(progress.size()) >= stopAtCall;
    }
    MsgAnswer MessageBox(const std::string& caption, const std::string& text, MsgIcon, MsgButtons) override {
        questions.push_back(caption + ": " + text);
        return answer;
    }
    void ProcessMessages() override { ++pumps; }

    std::vector<std::pair<ProgressKind, std::int32_t>> progress;
    int stopAtCall = 0; // the nth JobProgress call asks to stop; 0 = never
    MsgAnswer answer = MsgAnswer::Yes;
    std::vector<std::string> questions;
    int pumps = 0;
};

// A run as the job driver prepares it: crypt context, codec tables, wipe buffers.
class RunScope {
public:
    explicit RunScope(bool vlt7Mode = false, const std::string& passphrase = kPassphrase, AlgorithmId first = 1,
                      AlgorithmId second = 0, const std::string& secondPassphrase = "");
    ~RunScope();
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;
    int setupResult;
};

TEncryptContext EncryptContextFor(const std::string& directory, const std::string& name);
TDecryptContext DecryptContextFor(const std::string& directory, const std::string& name);

// Independent writer: a container with uncompressed blocks of the generation's size
// under a Blowfish key, zero chaining value and zero padding.
struct ContainerRecipe {
    bool vlt7 = false;
    std::uint16_t generationWord = 0x0802;
    std::string storedName;
    std::uint8_t attributes = 0x20;
    std::uint32_t dateTime = 0x5A8C6000; // 2025-04-12 12:00:00
    std::vector<std::uint8_t> content;
};
std::vector<std::uint8_t> BuildContainer(const ContainerRecipe& recipe, const std::string& passphrase = kPassphrase);

// Independent reader: every field of a container, deciphered with a Blowfish key.
struct ParsedBlock {
    std::uint8_t flags = 0;
    std::uint32_t storedLength = 0;
    std::uint32_t originalLength = 0;
    std::vector<std::uint8_t> storedData; // deciphered, without padding
    std::size_t headerOffset = 0;
};
struct ParsedContainer {
    bool complete = false;
    std::vector<std::uint8_t> info; // deciphered
    std::uint16_t storedCrc16 = 0;
    std::string storedName;
    std::vector<std::uint8_t> namePadding;
    std::vector<ParsedBlock> blocks;
    std::uint32_t trailerSize = 0;
    std::uint32_t trailerCrc32 = 0;
    std::size_t trailerEnd = 0;
};
ParsedContainer ParseContainer(const std::vector<std::uint8_t>& bytes, bool vlt7 = false,
                               const std::string& passphrase = kPassphrase);

std::uint32_t Crc32Of(const std::vector<std::uint8_t>& bytes);
// Text that compresses well.
std::vector<std::uint8_t> TextBytes(std::size_t n);

} // namespace vlt::testing
