#pragma once

#include "tarnex/libs/kit/sealed_file.h"

namespace tarnex::kit {

// PBKDF2 rounds that turn a typed key into the cipher and MAC keys of one file.
constexpr std::uint32_t kPassphraseRounds = 40000;

// Sealing keyed by a typed key: PBKDF2-HMAC-SHA-256 over the key with the magic and the file's salt.
class PassphraseMethod : public SealingMethod {
public:
    PassphraseMethod(const Magic& magic, const char* key) : magic_(magic), key_(key) {}
    [[nodiscard]] Magic MethodMagic() const override { return magic_; }
    [[nodiscard]] bool DeriveKeys(const SealHeader& header, SealKeys& keys) override;

private:
    Magic magic_;
    const char* key_;
};

// One call of a passphrase entry point: flag 0 encrypts, 1 decrypts; anything else is refused.
void RunPassphraseCall(const char* source, const char* key, char flag, const Magic& magic, WorkBuffers buffers);

} // namespace tarnex::kit
