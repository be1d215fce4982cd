#include "tarnex/registry.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

namespace tarnex {
namespace {

const QString kStoreName = QStringLiteral("classes_root.json");
const QChar kLevelSeparator = u'\\';

bool IsAtOrBelow(const QString& path, const QString& keyPath) {
    return path == keyPath || path.startsWith(keyPath + kLevelSeparator);
}

} // namespace

TRegistry::TRegistry(QString directory) : directory_(std::move(directory)) {}

QString TRegistry::DefaultDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/tarnex95");
}

QString TRegistry::StorePath() const {
    return directory_ + u'/' + kStoreName;
}

TRegistry::Keys TRegistry::Load() const {
    Keys keys;
    QFile file(StorePath());
    if (!file.open(QIODevice::ReadOnly)) {
        return keys;
    }
    // A damaged store reads as empty: it holds nothing but registrations that the next start renews.
    const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key().isEmpty()) {
            continue;
        }
        keys.insert(it.key(), it.value().isString() ? std::optional(it.value().toString()) : std::nullopt);
    }
    return keys;
}

bool TRegistry::Save(const Keys& keys) const {
    QJsonObject object;
    for (auto it = keys.begin(); it != keys.end(); ++it) {
        object.insert(it.key(), it.value() ? QJsonValue(*it.value()) : QJsonValue());
    }
    if (!QDir().mkpath(directory_)) {
        return false;
    }
    QSaveFile file(StorePath());
    return file.open(QIODevice::WriteOnly) && file.write(QJsonDocument(object).toJson()) >= 0 && file.commit();
}

bool TRegistry::SetValue(const QString& keyPath, const QString& value) {
    if (keyPath.isEmpty()) {
        return false;
    }
    Keys keys = Load();
    for (qsizetype at = keyPath.indexOf(kLevelSeparator); at > 0; at = keyPath.indexOf(kLevelSeparator, at + 1)) {
        keys.insert(keyPath.left(at), keys.value(keyPath.left(at)));
    }
    keys.insert(keyPath, value);
    return Save(keys);
}

bool TRegistry::DeleteKey(const QString& keyPath) {
    Keys keys = Load();
    const qsizetype before = keys.size();
    keys.removeIf([&](const auto& entry) { return IsAtOrBelow(entry.key(), keyPath); });
    return keys.size() != before && Save(keys);
}

bool TRegistry::KeyExists(const QString& keyPath) const {
    return Load().contains(keyPath);
}

std::optional<QString> TRegistry::Value(const QString& keyPath) const {
    return Load().value(keyPath);
}

} // namespace tarnex
