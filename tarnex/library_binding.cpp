#include "tarnex/library_binding.h"

#include "tarnex/message_box_service.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <dlfcn.h>
#include <filesystem>
#include <string.h>
#include <system_error>

namespace tarnex {
namespace {

// Loads lib<name>.so from the first directory holding it; null and `error` set otherwise.
void* OpenLibrary(const QString& name, const QStringList& directories, QString& error) {
    const QString fileName = QStringLiteral("lib%1.so").arg(name);
    for (const QString& directory : directories) {
        const QString path = QDir(directory).filePath(fileName);
        if (!QFileInfo::exists(path)) {
            continue;
        }
        if (void* handle = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL)) {
            return handle;
        }
        error =
            QStringLiteral("The cipher library %1 cannot be loaded: %2").arg(path, QString::fromLocal8Bit(::dlerror()));
        return nullptr;
    }
    error = QStringLiteral("The cipher library %1 is missing (searched: %2); tarnex95 cannot start without it.")
                .arg(fileName, directories.join(QStringLiteral(", ")));
    return nullptr;
}

template <typename Entry> bool Resolve(void* library, const char* symbol, Entry& entry, QString& error) {
    entry = reinterpret_cast<Entry>(::dlsym(library, symbol));
    if (entry == nullptr) {
        error = QStringLiteral("The cipher library lacks its entry point %1.").arg(QString::fromLatin1(symbol));
    }
    return entry != nullptr;
}

// The key as the libraries take it (UTF-8), wiped when the call is over.
class KeyBytes {
public:
    explicit KeyBytes(const QString& key) : bytes_(key.toUtf8()) {}
    ~KeyBytes() { explicit_bzero(bytes_.data(), std::size_t(bytes_.size())); }
    KeyBytes(const KeyBytes&) = delete;
    KeyBytes& operator=(const KeyBytes&) = delete;
    [[nodiscard]] const char* Get() const { return bytes_.constData(); }

private:
    QByteArray bytes_;
};

} // namespace

TLibraryBinding::TLibraryBinding(MessageBoxService& messages) : messages_(messages) {
    host_.english = 1;
    host_.context = this;
    host_.report = &TLibraryBinding::ReportFromLibrary;
}

std::unique_ptr<TLibraryBinding> TLibraryBinding::Load(const QStringList& directories, MessageBoxService& messages,
                                                       QString& error) {
    std::unique_ptr<TLibraryBinding> binding(new TLibraryBinding(messages));
    void* keyFileLibrary = OpenLibrary(QStringLiteral("tarnexkf"), directories, error);
    void* chaosLibrary = keyFileLibrary ? OpenLibrary(QStringLiteral("tarnexch"), directories, error) : nullptr;
    void* tarnexLibrary = chaosLibrary ? OpenLibrary(QStringLiteral("tarnex"), directories, error) : nullptr;
    if (tarnexLibrary == nullptr || !Resolve(keyFileLibrary, "tarnexkf_crypt", binding->tarnexkfCrypt_, error) ||
        !Resolve(keyFileLibrary, "tarnexkf_attach", binding->tarnexkfAttach_, error) ||
        !Resolve(chaosLibrary, "tarnexch_crypt1", binding->tarnexchCrypt1_, error) ||
        !Resolve(chaosLibrary, "tarnexch_crypt2", binding->tarnexchCrypt2_, error) ||
        !Resolve(chaosLibrary, "tarnexch_attach", binding->tarnexchAttach_, error) ||
        !Resolve(tarnexLibrary, "tarnex_crypt", binding->tarnexCrypt_, error) ||
        !Resolve(tarnexLibrary, "tarnex_attach", binding->tarnexAttach_, error)) {
        return nullptr;
    }
    return binding;
}

QStringList TLibraryBinding::DefaultDirectories() {
    std::error_code failure;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", failure);
    const QString directory = failure ? QCoreApplication::applicationDirPath()
                                      : QFileInfo(QString::fromStdString(program.string())).absolutePath();
    return {directory, QDir::cleanPath(directory + QStringLiteral("/../lib/tarnex95"))};
}

void TLibraryBinding::ReportFromLibrary(void* context, const char* caption, const char* text) {
    auto* binding = static_cast<TLibraryBinding*>(context);
    ++binding->reportsInCall_;
    binding->messages_.Tell(QApplication::activeWindow(), QString::fromUtf8(caption), QString::fromUtf8(text),
                            MessageIcon::Stop);
}

template <typename Entry, typename... Arguments>
bool TLibraryBinding::Call(AttachEntry attach, Entry entry, Arguments... arguments) {
    // Attached before every call: a library loaded once serves whichever binding calls it.
    attach(&host_);
    reportsInCall_ = 0;
    entry(arguments...);
    return reportsInCall_ == 0;
}

bool TLibraryBinding::Tarnex(const QString& source, const QString& key, char flag) {
    KeyBytes keyBytes(key);
    return Call(tarnexAttach_, tarnexCrypt_, QFile::encodeName(source).constData(), keyBytes.Get(), flag);
}

bool TLibraryBinding::KeyFile(const QString& source, const QString& keyFile) {
    return Call(tarnexkfAttach_, tarnexkfCrypt_, QFile::encodeName(source).constData(),
                QFile::encodeName(keyFile).constData());
}

bool TLibraryBinding::Chaos(const QString& source, const QString& key, char flag) {
    KeyBytes keyBytes(key);
    return Call(tarnexchAttach_, tarnexchCrypt1_, QFile::encodeName(source).constData(), keyBytes.Get(), flag);
}

bool TLibraryBinding::Chaos2(const QString& source, const QString& key, char flag) {
    KeyBytes keyBytes(key);
    return Call(tarnexchAttach_, tarnexchCrypt2_, QFile::encodeName(source).constData(), keyBytes.Get(), flag);
}

void TLibraryBinding::SetLanguage(unsigned char languageFlag) {
    host_.english = languageFlag == 1 ? 1 : 0;
}

} // namespace tarnex
