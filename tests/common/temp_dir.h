#pragma once
// A private directory per test, removed with everything in it afterwards.
#include <cstdint>
#include <string>
#include <vector>

namespace vlt::testing {

class TempDir {
public:
    // Below `parent`, or below the system's temporary directory when it is empty.
    explicit TempDir(const std::string& parent = "");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory path without a trailing "/".
    const std::string& Path() const { return path_; }
    // Path() + "/" + name.
    std::string File(const std::string& name) const;

private:
    std::string path_;
};

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
void WriteText(const std::string& path, const std::string& text);
std::vector<std::uint8_t> ReadBytes(const std::string& path);
bool Exists(const std::string& path);
// Names in a directory (no "." or ".."), sorted.
std::vector<std::string> ListNames(const std::string& directory);
// Deterministic pseudo-random bytes for fixtures.
std::vector<std::uint8_t> PatternBytes(std::size_t n, std::uint32_t seed = 1);

} // namespace vlt::testing
