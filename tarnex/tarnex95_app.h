#pragma once

#include "tarnex/tarnex95_dlg_client.h"

#include <QStringList>
#include <QWidget>
#include <memory>

namespace tarnex {

class TRegistry;

// The main window: a frame that shrinks to its client, the dialog. Closing the dialog closes it.
class TTarnex95Frame final : public QWidget {
    Q_OBJECT
public:
    TTarnex95Frame(TProgramState& state, TDialogServices services);
    [[nodiscard]] TTarnex95DlgClient* Client() const { return client_; }

private:
    TTarnex95DlgClient* client_;
};

// The application object "Tarnex95": creates the main window and registers the program's icon.
class TTarnex95App {
public:
    static constexpr const char* kApplicationName = "Tarnex95";
    static constexpr const char* kApplicationKey = "Tarnex95.Application";
    static constexpr const char* kDocumentKey = "Tarnex95.Document.1";

    TTarnex95App(TProgramState& state, TDialogServices services, TRegistry& registry);

    // Creates and shows the main window.
    void InitMainWindow();
    [[nodiscard]] TTarnex95Frame* MainWindow() const { return frame_.get(); }

    // With the option "unregister" on the command line, removes the program's keys; otherwise sets
    // the icon value "Tarnex95.Application\DefaultIcon" to the program path + ",1".
    void RegisterProgram(const QStringList& arguments, const QString& programPath);

private:
    TProgramState& state_;
    TDialogServices services_;
    TRegistry& registry_;
    std::unique_ptr<TTarnex95Frame> frame_;
};

} // namespace tarnex
