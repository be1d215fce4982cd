// Arbitrary bytes as an encrypted file, decrypted in both generations into a
// destination directory: no crash, no leak, nothing written outside that
// directory, and the encrypted file never changed.
#include "container/crypt_context.h"
#include "container/crypt_run.h"
#include "container/decrypt_file.h"
#include "support/little_endian.h"
#include "support/crc.h"
#include "support/lzh/lzh_codec.h"
#include "tests/common/quiet_host.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using vlt::testing::QuietHost;

struct Sandbox {
    fs::path root;
    Sandbox() {
        std::string pattern = (fs::temp_directory_path() / "fuzz_decrypt_XXXXXX").string();
        root = mkdtemp(pattern.data());
        fs::create_directories(root / "in");
        fs::create_directories(root / "out");
    }
    ~Sandbox() { fs::remove_all(root); }
};

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> Names(const fs::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

// Most random inputs would stop at the passphrase check; unless bit 0 of byte 6
// (never examined by readers) is set, the stored CRC-16 is made to fit the
// deciphered info block so that the blocks behind it get exercised. Bit 1 of the
// same byte ignores the CRC-32, so the paths behind the content check are reached.
void FitInfoCrc(std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < 29 || (bytes[6] & 1) != 0) {
        return;
    }
    vlt::ChainingValue chain{vlt::GetLe32(&bytes[13]), vlt::GetLe32(&bytes[17])};
    std::uint8_t info[8];
    std::copy_n(bytes.begin() + 21, 8, info);
    vlt::RunDecipher(info, 8, chain);
    vlt::PutLe16(&bytes[10], vlt::Crc16Update(info, 8, 0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Sandbox sandbox;
    static const bool tables = vlt::LzhAllocTables();
    if (!tables) {
        std::abort();
    }
    static const std::string passphrase = "correct horse battery";
    const fs::path source = sandbox.root / "in" / "src.vlt";
    for (const bool vlt7 : {false, true}) {
        vlt::KeyRecord keys;
        keys.firstAlgorithm = 3; // GOST: the container code is what is fuzzed, and its key setup is quick
        keys.firstPassphrase = reinterpret_cast<const std::uint8_t*>(passphrase.data());
        keys.firstLength = static_cast<std::uint16_t>(passphrase.size());
        if (vlt::SetupCryptContext(keys, vlt7) == vlt::kSetupOutOfMemory) {
            std::abort();
        }
        std::vector<std::uint8_t> bytes(data, data + size);
        FitInfoCrc(bytes);
        {
            std::ofstream out(source, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        }
        QuietHost host;
        vlt::TDecryptContext context;
        context.SourceDir = (sandbox.root / "in").string() + "/";
        context.FileName = "src.vlt";
        context.DestDir = (sandbox.root / "out").string() + "/";
        context.RestoreFileName = true;
        context.RestoreAttributes = true;
        context.IgnoreCRC32 = size > 6 && (data[6] & 2) != 0;
        (void)vlt::DecryptOneFile(context, host);
        vlt::ReleaseCryptContext();

        if (ReadFile(source) != bytes || Names(sandbox.root).size() != 2 || Names(sandbox.root / "in").size() != 1 ||
            Names(sandbox.root / "out").size() > 1) {
            std::abort();
        }
        for (const auto& entry : fs::directory_iterator(sandbox.root / "out")) {
            fs::remove(entry.path());
        }
    }
    return 0;
}
