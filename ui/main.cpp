// vlt95: the workbench window. The program takes no command line.
#include <QApplication>
#include <QIcon>

#include "batch/program_lifecycle.h"
#include "ui/main_form.h"
#include "ui/resources.h"

int main(int argc, char** argv) {
    vlt::InitialiseModules();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vlt95"));
    vlt::ui::LoadResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/vlt95.svg")));
    vlt::ui::TMainForm mainForm;
    mainForm.show();
    return QApplication::exec();
}
