#pragma once

#include "tarnex/cipher_libraries.h"
#include "tarnex/libs/tarnex_host.h"

#include <QStringList>
#include <memory>

namespace tarnex {

class MessageBoxService;

// The three cipher libraries loaded by name, in the order "tarnexkf", "tarnexch", "tarnex", and never
// unloaded. Their failure reports reach the user through the message-box service.
class TLibraryBinding final : public CipherLibraries {
public:
    // Loads each library from the first of `directories` that holds it. Returns null and a message
    // naming the library when one is missing or lacks an entry point.
    [[nodiscard]] static std::unique_ptr<TLibraryBinding> Load(const QStringList& directories,
                                                               MessageBoxService& messages, QString& error);

    // The program's own directory (from /proc/self/exe) and, for an install, its ../lib/tarnex95.
    [[nodiscard]] static QStringList DefaultDirectories();

    [[nodiscard]] bool Tarnex(const QString& source, const QString& key, char flag) override;
    [[nodiscard]] bool KeyFile(const QString& source, const QString& keyFile) override;
    [[nodiscard]] bool Chaos(const QString& source, const QString& key, char flag) override;
    [[nodiscard]] bool Chaos2(const QString& source, const QString& key, char flag) override;
    void SetLanguage(unsigned char languageFlag) override;

private:
    using CryptEntry = void (*)(const char*, const char*, char);
    using KeyFileEntry = void (*)(const char*, const char*);
    using AttachEntry = void (*)(const TarnexHost*);

    explicit TLibraryBinding(MessageBoxService& messages);
    // Calls one entry point with the host attached to its library; false when the library reported.
    template <typename Entry, typename... Arguments>
    [[nodiscard]] bool Call(AttachEntry attach, Entry entry, Arguments... arguments);
    static void ReportFromLibrary(void* context, const char* caption, const char* text);

    MessageBoxService& messages_;
    TarnexHost host_{};
    int reportsInCall_ = 0;
    AttachEntry tarnexAttach_ = nullptr;
    AttachEntry tarnexkfAttach_ = nullptr;
    AttachEntry tarnexchAttach_ = nullptr;
    CryptEntry tarnexCrypt_ = nullptr;
    KeyFileEntry tarnexkfCrypt_ = nullptr;
    CryptEntry tarnexchCrypt1_ = nullptr;
    CryptEntry tarnexchCrypt2_ = nullptr;
};

} // namespace tarnex
