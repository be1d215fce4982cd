#include "tarnex/libs/kit/passphrase_method.h"

#include "tarnex/libs/kit/entry.h"
#include "tarnex/libs/kit/messages.h"
#include "tarnex/libs/kit/sha256.h"

#include <algorithm>
#include <cstring>

namespace tarnex::kit {

bool PassphraseMethod::DeriveKeys(const SealHeader& header, SealKeys& keys) {
    std::array<std::uint8_t, 20> salt;
    std::copy(magic_.begin(), magic_.end(), salt.begin());
    std::copy(header.salt.begin(), header.salt.end(), salt.begin() + magic_.size());
    Secret<64> derived;
    Pbkdf2Sha256({reinterpret_cast<const std::uint8_t*>(key_), std::strlen(key_)}, salt, kPassphraseRounds,
                 derived.bytes);
    std::copy_n(derived.data(), 32, keys.cipherKey.data());
    std::copy_n(derived.data() + 32, 32, keys.macKey.data());
    return true;
}

void RunPassphraseCall(const char* source, const char* key, char flag, const Magic& magic, WorkBuffers buffers) {
    if (!IsGivenText(source) || !IsGivenText(key) || (flag != 0 && flag != 1)) {
        Report(Failure::InvalidCall);
        return;
    }
    PassphraseMethod method(magic, key);
    if (flag == 0) {
        SealFile(source, method, buffers);
    } else {
        UnsealFile(source, method, buffers);
    }
}

} // namespace tarnex::kit
