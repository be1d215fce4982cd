#include "tarnex/libs/kit/sealed_file.h"

#include "tarnex/libs/kit/chacha20.h"
#include "tarnex/libs/kit/file_descriptor.h"
#include "tarnex/libs/kit/messages.h"
#include "tarnex/libs/kit/sha256.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnex::kit {
namespace {

// The source: a regular file (never followed through a symbolic link), opened for reading.
struct Source {
    Fd fd;
    struct stat status {};
};

[[nodiscard]] bool OpenSource(const char* path, Source& source) {
    source.fd = Fd(::open(path, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!source.fd.Valid() || ::fstat(source.fd.Get(), &source.status) != 0 || !S_ISREG(source.status.st_mode)) {
        Report(Failure::CannotOpenFile);
        return false;
    }
    return true;
}

// The result file beside the target: it replaces the target only by Commit, and disappears otherwise.
class Replacement {
public:
    explicit Replacement(const char* target) : target_(target) {
        const std::size_t slash = target_.rfind('/');
        const std::string dir = slash == std::string::npos ? std::string(".") : target_.substr(0, slash + 1);
        const std::string name = slash == std::string::npos ? target_ : target_.substr(slash + 1);
        temp_ = (slash == std::string::npos ? std::string() : dir) + "." + name + ".tnx-XXXXXX";
        fd_ = Fd(::mkstemp(temp_.data()));
        created_ = fd_.Valid();
        dir_ = dir;
    }
    ~Replacement() {
        fd_.Reset();
        if (created_) {
            ::unlink(temp_.c_str());
        }
    }
    Replacement(const Replacement&) = delete;
    Replacement& operator=(const Replacement&) = delete;

    [[nodiscard]] bool Valid() const { return fd_.Valid(); }
    [[nodiscard]] bool Write(const std::uint8_t* data, std::size_t size) { return WriteExactly(fd_.Get(), data, size); }

    // Makes the result durable with the target's permissions and renames it over the target.
    [[nodiscard]] bool Commit(mode_t mode) {
        if (::fchmod(fd_.Get(), mode & 07777) != 0 || ::fsync(fd_.Get()) != 0 || !fd_.Close() ||
            ::rename(temp_.c_str(), target_.c_str()) != 0) {
            return false;
        }
        created_ = false;
        Fd dir(::open(dir_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.Valid()) {
            (void)::fsync(dir.Get());
        }
        return true;
    }

private:
    std::string target_;
    std::string temp_;
    std::string dir_;
    Fd fd_;
    bool created_ = false;
};

void StoreLength(std::uint64_t length, std::uint8_t* out) {
    for (int i = 0; i < 8; ++i) {
        out[i] = std::uint8_t(length >> (8 * i));
    }
}

std::uint64_t LoadLength(const std::uint8_t* in) {
    std::uint64_t length = 0;
    for (int i = 7; i >= 0; --i) {
        length = length << 8 | in[i];
    }
    return length;
}

std::array<std::uint8_t, kHeaderSize> EncodeHeader(const SealHeader& header) {
    std::array<std::uint8_t, kHeaderSize> bytes{};
    std::copy(header.magic.begin(), header.magic.end(), bytes.begin());
    bytes[4] = kFormatVersion;
    std::copy(header.salt.begin(), header.salt.end(), bytes.begin() + 8);
    StoreLength(header.length, bytes.data() + 24);
    return bytes;
}

Digest KeyCheck(const SealKeys& keys, const std::array<std::uint8_t, kHeaderSize>& header) {
    return HmacOf({keys.macKey.data(), keys.macKey.size()}, std::span(header).first(32));
}

constexpr std::array<std::uint8_t, 12> kNonce{};

// Moves one piece from `in` to `out` (which may be the same memory).
std::span<std::uint8_t> Transfer(const WorkBuffers& buffers, std::size_t size) {
    if (buffers.in.data() != buffers.out.data()) {
        std::memcpy(buffers.out.data(), buffers.in.data(), size);
    }
    return buffers.out.first(size);
}

// Runs the content through the cipher piece by piece into `result`; the tag always covers the
// enciphered bytes. Reports and returns false on the first failure.
[[nodiscard]] bool StreamContent(Source& source, Replacement& result, SealingMethod& method, const WorkBuffers& buffers,
                                 const SealKeys& keys, HmacSha256& tag, std::uint64_t length, bool sealing) {
    ChaCha20 stream(std::span<const std::uint8_t, 32>(keys.cipherKey.data(), 32), kNonce);
    const std::size_t pieceSize = std::min(buffers.in.size(), buffers.out.size());
    for (std::uint64_t left = length; left > 0;) {
        const std::size_t size = std::size_t(std::min<std::uint64_t>(left, pieceSize));
        if (!ReadExactly(source.fd.Get(), buffers.in.data(), size)) {
            Report(Failure::CannotOpenFile);
            return false;
        }
        const std::span<std::uint8_t> piece = Transfer(buffers, size);
        if (sealing) {
            if (!method.Mix(piece)) {
                return false;
            }
            stream.Apply(piece);
            tag.Update(piece);
        } else {
            tag.Update(piece);
            stream.Apply(piece);
            if (!method.Mix(piece)) {
                return false;
            }
        }
        if (!result.Write(piece.data(), piece.size())) {
            Report(Failure::CannotWrite);
            return false;
        }
        left -= size;
    }
    return true;
}

} // namespace

void SealFile(const char* path, SealingMethod& method, WorkBuffers buffers) {
    Source source;
    if (!OpenSource(path, source)) {
        return;
    }
    SealHeader header;
    header.magic = method.MethodMagic();
    header.length = std::uint64_t(source.status.st_size);
    if (::getrandom(header.salt.data(), header.salt.size(), 0) != ssize_t(header.salt.size())) {
        Report(Failure::CannotWrite);
        return;
    }
    SealKeys keys;
    if (!method.DeriveKeys(header, keys)) {
        return;
    }
    std::array<std::uint8_t, kHeaderSize> headerBytes = EncodeHeader(header);
    const Digest check = KeyCheck(keys, headerBytes);
    std::copy(check.begin(), check.end(), headerBytes.begin() + 32);

    Replacement result(path);
    if (!result.Valid() || !result.Write(headerBytes.data(), headerBytes.size())) {
        Report(Failure::CannotWrite);
        return;
    }
    HmacSha256 tag({keys.macKey.data(), keys.macKey.size()});
    tag.Update(headerBytes);
    if (!StreamContent(source, result, method, buffers, keys, tag, header.length, true)) {
        return;
    }
    const Digest tagValue = tag.Final();
    if (!result.Write(tagValue.data(), tagValue.size()) || !result.Commit(source.status.st_mode)) {
        Report(Failure::CannotWrite);
    }
}

void UnsealFile(const char* path, SealingMethod& method, WorkBuffers buffers) {
    Source source;
    if (!OpenSource(path, source)) {
        return;
    }
    std::array<std::uint8_t, kHeaderSize> headerBytes{};
    const std::uint64_t fileSize = std::uint64_t(source.status.st_size);
    const Magic magic = method.MethodMagic();
    if (fileSize < kHeaderSize + kTagSize || !ReadExactly(source.fd.Get(), headerBytes.data(), headerBytes.size()) ||
        !std::equal(magic.begin(), magic.end(), headerBytes.begin()) || headerBytes[4] != kFormatVersion) {
        Report(Failure::NotEncryptedWithMethod);
        return;
    }
    SealHeader header;
    header.magic = magic;
    std::copy_n(headerBytes.begin() + 8, header.salt.size(), header.salt.begin());
    header.length = LoadLength(headerBytes.data() + 24);
    if (header.length != fileSize - kHeaderSize - kTagSize) {
        Report(Failure::Damaged);
        return;
    }
    SealKeys keys;
    if (!method.DeriveKeys(header, keys)) {
        return;
    }
    if (!EqualInConstantTime(KeyCheck(keys, headerBytes), std::span(headerBytes).subspan(32))) {
        Report(Failure::WrongKey);
        return;
    }

    Replacement result(path);
    if (!result.Valid()) {
        Report(Failure::CannotWrite);
        return;
    }
    HmacSha256 tag({keys.macKey.data(), keys.macKey.size()});
    tag.Update(headerBytes);
    if (!StreamContent(source, result, method, buffers, keys, tag, header.length, false)) {
        return;
    }
    Digest storedTag{};
    if (!ReadExactly(source.fd.Get(), storedTag.data(), storedTag.size())) {
        Report(Failure::CannotOpenFile);
        return;
    }
    if (!EqualInConstantTime(tag.Final(), storedTag)) {
        Report(Failure::Damaged);
        return;
    }
    if (!result.Commit(source.status.st_mode)) {
        Report(Failure::CannotWrite);
    }
}

bool CarriesMagic(const char* path, const Magic& magic) {
    Fd fd(::open(path, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat status {};
    Magic found{};
    return fd.Valid() && ::fstat(fd.Get(), &status) == 0 && S_ISREG(status.st_mode) &&
           std::uint64_t(status.st_size) >= kHeaderSize + kTagSize &&
           ReadExactly(fd.Get(), found.data(), found.size()) && found == magic;
}

} // namespace tarnex::kit
