#include "batch/passphrase_store.h"

#include <algorithm>
#include <cstring>

#include "batch/passphrase_rules.h"

namespace vlt {

namespace {

SecureBuffer CopyOf(const std::uint8_t* data, std::size_t size) {
    SecureBuffer copy(size);
    if (size > 0) {
        std::memcpy(copy.Data(), data, size);
    }
    return copy;
}

} // namespace

void PassphraseStore::Fill(const std::string& first, const std::string& second, bool accepted) {
    const auto cut = [](const std::string& text) {
        return CopyOf(reinterpret_cast<const std::uint8_t*>(text.data()),
                      std::min(text.size(), kPassphraseStoreLength));
    };
    first_ = cut(first);
    second_ = cut(second);
    accepted_ = accepted;
}

bool PassphraseStore::GetPassphrases(SecureBuffer& first, SecureBuffer& second) const {
    if (!accepted_) {
        return false;
    }
    first = CopyOf(first_.Data(), first_.Size());
    second = CopyOf(second_.Data(), second_.Size());
    return true;
}

} // namespace vlt
