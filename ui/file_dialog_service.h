#pragma once
// The save-file dialog behind one replaceable service, so that tests give the name.
#include <QString>
#include <QStringList>

class QWidget;

namespace vlt::ui {

class FileDialogService {
public:
    virtual ~FileDialogService() = default;
    // The chosen file, or "" when the user cancelled. An existing file is confirmed
    // before it is chosen; `filters` are "Text files (*.txt)" style entries.
    [[nodiscard]] virtual QString GetSaveFileName(QWidget* parent, const QString& caption,
                                                  const QStringList& filters) = 0;
};

// The installed service (the desktop's save dialog until a test installs its own).
[[nodiscard]] FileDialogService& FileDialogs();
// Installs `service`, or the desktop's dialog again for nullptr.
void SetFileDialogs(FileDialogService* service);

} // namespace vlt::ui
