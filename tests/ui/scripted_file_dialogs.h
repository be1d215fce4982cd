#pragma once
// Gives the save dialog's answer from the test and records what it was asked.
#include <QString>
#include <QStringList>

#include "ui/file_dialog_service.h"

namespace vlt::testing {

class ScriptedFileDialogs final : public ui::FileDialogService {
public:
    ScriptedFileDialogs() { ui::SetFileDialogs(this); }
    ~ScriptedFileDialogs() override { ui::SetFileDialogs(nullptr); }
    ScriptedFileDialogs(const ScriptedFileDialogs&) = delete;
    ScriptedFileDialogs& operator=(const ScriptedFileDialogs&) = delete;

    QString GetSaveFileName(QWidget*, const QString& caption, const QStringList& filters) override {
        askedCaption = caption;
        askedFilters = filters;
        ++asked;
        return nextName;
    }

    QString nextName; // "" answers Cancel
    QString askedCaption;
    QStringList askedFilters;
    int asked = 0;
};

} // namespace vlt::testing
