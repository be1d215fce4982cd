#pragma once

#include <QString>

class QWidget;

namespace tarnex {

struct OpenFileResult {
    enum class Outcome { Chosen, Cancelled, Failed };
    Outcome outcome = Outcome::Cancelled;
    QString path;
    unsigned long errorNumber = 0; // set when Failed
};

// The system's open-file dialog for an existing file.
class OpenFileChooser {
public:
    virtual ~OpenFileChooser() = default;
    // `filter` is in the string table's form: "description|patterns|" pairs.
    [[nodiscard]] virtual OpenFileResult ChooseFile(QWidget* parent, const QString& filter) = 0;
};

// The outside programs behind View and DOS. Each returns false when nothing could be started.
class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;
    [[nodiscard]] virtual bool StartTextEditor(const QString& fileName) = 0;
    [[nodiscard]] virtual bool StartCommandPrompt() = 0;
};

class QtOpenFileChooser final : public OpenFileChooser {
public:
    [[nodiscard]] OpenFileResult ChooseFile(QWidget* parent, const QString& filter) override;
};

// The editor is $VISUAL, else the desktop's handler (xdg-open); the prompt is $TERMINAL, else
// x-terminal-emulator, else xterm.
class DesktopProgramStarter final : public ProgramStarter {
public:
    [[nodiscard]] bool StartTextEditor(const QString& fileName) override;
    [[nodiscard]] bool StartCommandPrompt() override;
};

// "All files (*.*)|*.*|" -> "All files (*.*) (*)": Qt's form, where "*.*" must match names without a dot too.
[[nodiscard]] QStringList ToQtNameFilters(const QString& filter);

} // namespace tarnex
