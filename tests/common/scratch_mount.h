#pragma once
// A small file system of its own for tests that need a full disk or a second file
// system: a tmpfs of a given size mounted on a new temporary directory. Mounting needs
// the right to mount (root in the test containers); tests skip when it is missing.
#include <cstdint>
#include <string>

namespace vlt::testing {

class ScratchMount {
public:
    explicit ScratchMount(std::uint64_t bytes);
    ~ScratchMount();
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    [[nodiscard]] bool Mounted() const { return mounted_; }
    // The mount point without a trailing "/".
    [[nodiscard]] const std::string& Path() const { return path_; }
    [[nodiscard]] std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
    bool mounted_ = false;
};

} // namespace vlt::testing
