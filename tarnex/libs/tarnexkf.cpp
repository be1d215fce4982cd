// The key-file cipher behind method File. The call carries no direction: a file that carries this
// method's header is decrypted, any other file is encrypted.
#include "tarnex/libs/kit/entry.h"
#include "tarnex/libs/kit/file_descriptor.h"
#include "tarnex/libs/kit/sealed_file.h"
#include "tarnex/libs/kit/sha256.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tarnex::kit;

namespace {

constexpr Magic kKeyFileMagic = {'T', 'X', 'K', 'F'};

// The first bytes of the key file, as many as the content is long, are a pad XORed onto the content;
// their hash with the file's salt keys the stream cipher and the tag as well.
class KeyFileMethod : public SealingMethod {
public:
    KeyFileMethod(int keyFile, std::uint64_t keyFileSize, std::span<std::uint8_t> pad)
        : keyFile_(keyFile), keyFileSize_(keyFileSize), pad_(pad) {}

    [[nodiscard]] Magic MethodMagic() const override { return kKeyFileMagic; }

    [[nodiscard]] bool DeriveKeys(const SealHeader& header, SealKeys& keys) override {
        if (keyFileSize_ < header.length) {
            Report(Failure::KeyFileTooShort);
            return false;
        }
        Sha256 padHash;
        if (!Rewind()) {
            return false;
        }
        for (std::uint64_t left = header.length; left > 0;) {
            const std::size_t size = std::size_t(std::min<std::uint64_t>(left, pad_.size()));
            if (!ReadPad(size)) {
                return false;
            }
            padHash.Update(pad_.first(size));
            left -= size;
        }
        Secret<32> padDigest;
        const Digest digest = padHash.Final();
        std::copy(digest.begin(), digest.end(), padDigest.data());
        std::array<std::uint8_t, 20> saltLabel;
        std::copy(kKeyFileMagic.begin(), kKeyFileMagic.end(), saltLabel.begin());
        std::copy(header.salt.begin(), header.salt.end(), saltLabel.begin() + kKeyFileMagic.size());
        Secret<32> fileKey;
        const Digest derived = HmacOf(padDigest.bytes, saltLabel);
        std::copy(derived.begin(), derived.end(), fileKey.data());
        const Digest cipherKey = HmacOf(fileKey.bytes, std::span<const std::uint8_t>(Label("cipher"), 6));
        const Digest macKey = HmacOf(fileKey.bytes, std::span<const std::uint8_t>(Label("mac"), 3));
        std::copy(cipherKey.begin(), cipherKey.end(), keys.cipherKey.data());
        std::copy(macKey.begin(), macKey.end(), keys.macKey.data());
        return Rewind();
    }

    [[nodiscard]] bool Mix(std::span<std::uint8_t> plainPiece) override {
        for (std::size_t done = 0; done < plainPiece.size();) {
            const std::size_t size = std::min(plainPiece.size() - done, pad_.size());
            if (!ReadPad(size)) {
                return false;
            }
            for (std::size_t i = 0; i < size; ++i) {
                plainPiece[done + i] ^= pad_[i];
            }
            done += size;
        }
        return true;
    }

private:
    static const std::uint8_t* Label(const char* text) { return reinterpret_cast<const std::uint8_t*>(text); }

    [[nodiscard]] bool Rewind() {
        if (::lseek(keyFile_, 0, SEEK_SET) != 0) {
            Report(Failure::CannotOpenKeyFile);
            return false;
        }
        return true;
    }

    [[nodiscard]] bool ReadPad(std::size_t size) {
        if (!ReadExactly(keyFile_, pad_.data(), size)) {
            Report(Failure::CannotOpenKeyFile);
            return false;
        }
        return true;
    }

    int keyFile_;
    std::uint64_t keyFileSize_;
    std::span<std::uint8_t> pad_;
};

} // namespace

TARNEX_EXPORT void tarnexkf_attach(const TarnexHost* host) {
    AttachHost(host);
}

TARNEX_EXPORT void tarnexkf_crypt(const char* source, const char* keyFileName) {
    if (!IsGivenText(source) || !IsGivenText(keyFileName)) {
        Report(Failure::InvalidCall);
        return;
    }
    const Fd keyFile(::open(keyFileName, O_RDONLY | O_CLOEXEC));
    struct stat keyStatus {};
    if (!keyFile.Valid() || ::fstat(keyFile.Get(), &keyStatus) != 0 || !S_ISREG(keyStatus.st_mode)) {
        Report(Failure::CannotOpenKeyFile);
        return;
    }
    // Enciphering a file with itself as the pad would leave nothing to decrypt it with.
    struct stat sourceStatus {};
    if (::stat(source, &sourceStatus) == 0 && sourceStatus.st_dev == keyStatus.st_dev &&
        sourceStatus.st_ino == keyStatus.st_ino) {
        Report(Failure::KeyFileIsTheFile);
        return;
    }
    ContentBuffer buffer(2 * kPieceSize);
    if (!buffer.Valid()) {
        Report(Failure::BufferTarnexKf);
        return;
    }
    const std::span<std::uint8_t> content = buffer.Span().first(kPieceSize);
    KeyFileMethod method(keyFile.Get(), std::uint64_t(keyStatus.st_size), buffer.Span().subspan(kPieceSize));
    if (CarriesMagic(source, kKeyFileMagic)) {
        UnsealFile(source, method, {content, content});
    } else {
        SealFile(source, method, {content, content});
    }
}
