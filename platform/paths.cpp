#include "platform/paths.h"

#include <cctype>

namespace vlt {

std::string PathDirPart(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string PathNamePart(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

namespace {

bool SameLetter(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

// Iterative wildcard match with one backtrack point: linear in practice, and no
// recursion depth an attacker-chosen name could exhaust.
bool WildcardMatch(const std::string& name, const std::string& mask, std::size_t maskLength) {
    std::size_t n = 0;
    std::size_t m = 0;
    std::size_t starMask = std::string::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (m < maskLength && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (m < maskLength && (mask[m] == '?' || SameLetter(mask[m], name[n]))) {
            ++m;
            ++n;
        } else if (starMask != std::string::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < maskLength && mask[m] == '*') {
        ++m;
    }
    return m == maskLength;
}

} // namespace

bool MatchesMask(const std::string& name, const std::string& mask) {
    if (WildcardMatch(name, mask, mask.size())) {
        return true;
    }
    // "x.*" stands for "x with any extension or none": "*.*" matches "README" too.
    const bool anyExtension = mask.size() >= 2 && mask.compare(mask.size() - 2, 2, ".*") == 0;
    return anyExtension && name.find('.') == std::string::npos && WildcardMatch(name, mask, mask.size() - 2);
}

bool IsPlainMask(const std::string& mask) {
    return !mask.empty() && mask.find('/') == std::string::npos && mask != "." && mask != "..";
}

} // namespace vlt
