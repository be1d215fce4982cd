#pragma once
// The accepted passphrase(s) of the last entry: two stores of at most 255 bytes and
// the accepted flag. They hold bytes (a numerical passphrase may hold any byte value)
// and are wiped when replaced and when the program ends.
#include <string>

#include "support/secure_memory.h"

namespace vlt {

class PassphraseStore {
public:
    // The next showing of the entry clears only the flag; the stores keep their bytes.
    void ClearAccepted() { accepted_ = false; }
    // Fills both stores, each cut to 255 bytes; `accepted` sets or clears the flag.
    void Fill(const std::string& first, const std::string& second, bool accepted);

    // False unless the last entry was accepted; otherwise copies of both stores, sized
    // to their lengths. The caller's copies wipe themselves.
    [[nodiscard]] bool GetPassphrases(SecureBuffer& first, SecureBuffer& second) const;

private:
    SecureBuffer first_;
    SecureBuffer second_;
    bool accepted_ = false;
};

} // namespace vlt
