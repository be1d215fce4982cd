// tarnex95: the dialog that hands a file, a key and a direction to one of three cipher libraries.
#include "tarnex/desktop_services.h"
#include "tarnex/library_binding.h"
#include "tarnex/message_box_service.h"
#include "tarnex/registry.h"
#include "tarnex/tarnex95_app.h"

#include <QApplication>
#include <QTextStream>

using namespace tarnex;

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(TTarnex95App::kApplicationName));
    QtMessageBoxService messages;

    const QStringList directories = TLibraryBinding::DefaultDirectories();
    QString error;
    const std::unique_ptr<TLibraryBinding> libraries = TLibraryBinding::Load(directories, messages, error);
    if (!libraries) {
        QTextStream(stderr) << "tarnex95: " << error << Qt::endl;
        messages.Tell(nullptr, QString::fromLatin1(TTarnex95App::kApplicationName), error, MessageIcon::Stop);
        return 1;
    }

    const QStringList arguments = QApplication::arguments().mid(1);
    TProgramState state;
    state.start = ReadStartValues(arguments);

    QtOpenFileChooser files;
    DesktopProgramStarter programs;
    TRegistry registry(TRegistry::DefaultDirectory());
    TTarnex95App app(state, {messages, *libraries, files, programs}, registry);
    app.InitMainWindow();
    app.RegisterProgram(arguments, QApplication::applicationFilePath());
    return QApplication::exec();
}
