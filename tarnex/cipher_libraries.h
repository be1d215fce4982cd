#pragma once

#include <QString>

namespace tarnex {

// The four entry points of the cipher libraries as the dialog calls them. Each call returns when the
// library has finished with the file; the result is true unless the library reported a failure.
class CipherLibraries {
public:
    virtual ~CipherLibraries() = default;

    // Method Tarnex: flag 0 = Crypt, 1 = DeCrypt.
    [[nodiscard]] virtual bool Tarnex(const QString& source, const QString& key, char flag) = 0;
    // Method File: the key field names the key file; the call carries no direction.
    [[nodiscard]] virtual bool KeyFile(const QString& source, const QString& keyFile) = 0;
    [[nodiscard]] virtual bool Chaos(const QString& source, const QString& key, char flag) = 0;
    [[nodiscard]] virtual bool Chaos2(const QString& source, const QString& key, char flag) = 0;

    // The language of the libraries' own messages: 1 = English, anything else German.
    virtual void SetLanguage(unsigned char languageFlag) = 0;
};

} // namespace tarnex
