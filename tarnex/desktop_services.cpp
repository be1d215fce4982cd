#include "tarnex/desktop_services.h"

#include <QFileDialog>
#include <QProcess>

namespace tarnex {
namespace {

// Starts the command of an environment variable (program and its own arguments) with `arguments` added.
bool StartFromVariable(const char* variable, const QStringList& arguments) {
    const QStringList command = QProcess::splitCommand(qEnvironmentVariable(variable));
    return !command.isEmpty() && QProcess::startDetached(command.first(), command.mid(1) + arguments);
}

} // namespace

QStringList ToQtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            if (pattern == QStringLiteral("*.*")) {
                pattern = QStringLiteral("*");
            }
        }
        filters.append(parts[i] + QStringLiteral(" (") + patterns.join(u' ') + u')');
    }
    return filters;
}

OpenFileResult QtOpenFileChooser::ChooseFile(QWidget* parent, const QString& filter) {
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(ToQtNameFilters(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return {OpenFileResult::Outcome::Chosen, dialog.selectedFiles().first(), 0};
}

bool DesktopProgramStarter::StartTextEditor(const QString& fileName) {
    return StartFromVariable("VISUAL", {fileName}) || QProcess::startDetached(QStringLiteral("xdg-open"), {fileName});
}

bool DesktopProgramStarter::StartCommandPrompt() {
    return StartFromVariable("TERMINAL", {}) || QProcess::startDetached(QStringLiteral("x-terminal-emulator"), {}) ||
           QProcess::startDetached(QStringLiteral("xterm"), {});
}

} // namespace tarnex
