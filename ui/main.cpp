// vlt95: the workbench window. The program takes no command line.
#include <QApplication>

#include "batch/program_lifecycle.h"
#include "ui/main_form.h"

int main(int argc, char** argv) {
    vlt::InitialiseModules();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vlt95"));
    vlt::ui::TMainForm mainForm;
    mainForm.show();
    return QApplication::exec();
}
