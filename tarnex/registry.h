#pragma once

#include <QMap>
#include <QString>
#include <optional>

namespace tarnex {

// The program's keys under the classes root: a small store of its own in the user's data directory.
// Key paths use "\" between levels ("Tarnex95.Application\DefaultIcon"); each key may hold a default
// value. Every change is read, applied and written back atomically, so a crash never leaves half a file.
class TRegistry {
public:
    // `directory` holds the store; it is created on the first change.
    explicit TRegistry(QString directory);

    // $XDG_DATA_HOME/tarnex95 (by default ~/.local/share/tarnex95).
    [[nodiscard]] static QString DefaultDirectory();

    [[nodiscard]] QString StorePath() const;

    // Sets the default value of the key, creating it and the keys above it.
    [[nodiscard]] bool SetValue(const QString& keyPath, const QString& value);

    // Deletes the key with everything below it; false when it did not exist or the store cannot be written.
    [[nodiscard]] bool DeleteKey(const QString& keyPath);

    [[nodiscard]] bool KeyExists(const QString& keyPath) const;

    // The default value; none when the key is missing or has no value.
    [[nodiscard]] std::optional<QString> Value(const QString& keyPath) const;

private:
    // Key path -> default value (none for a key without one).
    using Keys = QMap<QString, std::optional<QString>>;

    [[nodiscard]] Keys Load() const;
    [[nodiscard]] bool Save(const Keys& keys) const;

    QString directory_;
};

} // namespace tarnex
