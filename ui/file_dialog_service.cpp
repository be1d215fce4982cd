#include "ui/file_dialog_service.h"

#include <QFileDialog>

namespace vlt::ui {

namespace {

class QtFileDialogs final : public FileDialogService {
public:
    QString GetSaveFileName(QWidget* parent, const QString& caption, const QStringList& filters) override {
        QFileDialog dialog(parent, caption);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilters(filters);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
        dialog.setOption(QFileDialog::ReadOnly, false);
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                        : QString();
    }
};

FileDialogService* installed = nullptr;

} // namespace

FileDialogService& FileDialogs() {
    static QtFileDialogs desktop;
    return installed != nullptr ? *installed : desktop;
}

void SetFileDialogs(FileDialogService* service) {
    installed = service;
}

} // namespace vlt::ui
