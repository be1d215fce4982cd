// Arbitrary name and mask (the first byte splits the rest): the matcher agrees with a
// plain table-driven reference, every name matches itself and "*.*", and the browser's
// path normalisation of the bytes keeps them and adds at most a "*.*" mask.
#include "batch/browser.h"
#include "platform/paths.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// matched[i][j]: the first i characters of the name match the first j of the mask.
bool ReferenceMatch(const std::string& name, const std::string& mask) {
    const auto same = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    std::vector<std::vector<bool>> matched(name.size() + 1, std::vector<bool>(mask.size() + 1, false));
    matched[0][0] = true;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        for (std::size_t j = 1; j <= mask.size(); ++j) {
            const char m = mask[j - 1];
            if (m == '*') {
                matched[i][j] = matched[i][j - 1] || (i > 0 && matched[i - 1][j]);
            } else if (i > 0) {
                matched[i][j] = matched[i - 1][j - 1] && (m == '?' || same(m, name[i - 1]));
            }
        }
    }
    if (matched[name.size()][mask.size()]) {
        return true;
    }
    const bool anyExtension = mask.size() >= 2 && mask.compare(mask.size() - 2, 2, ".*") == 0;
    return anyExtension && name.find('.') == std::string::npos && matched[name.size()][mask.size() - 2];
}

void CheckNormalised(const std::string& path) {
    const std::string normalised = vlt::NormaliseBrowserPath(path);
    const auto first = path.find_first_not_of(" \t\r\n");
    const std::string trimmed =
        first == std::string::npos ? "" : path.substr(first, path.find_last_not_of(" \t\r\n") - first + 1);
    if (trimmed.empty() ? normalised != "*.*"
                        : normalised != trimmed && normalised != trimmed + "*.*" && normalised != trimmed + "/*.*") {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The reference is quadratic; longer inputs find nothing the short ones miss.
    if (size == 0 || size > 512) {
        return 0;
    }
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t split = std::min<std::size_t>(data[0], rest.size());
    const std::string name = rest.substr(0, split);
    const std::string mask = rest.substr(split);
    if (vlt::MatchesMask(name, mask) != ReferenceMatch(name, mask) || !vlt::MatchesMask(name, name) ||
        !vlt::MatchesMask(name, "*.*") || !vlt::MatchesMask(name, "*")) {
        std::abort();
    }
    CheckNormalised(rest);
    return 0;
}
