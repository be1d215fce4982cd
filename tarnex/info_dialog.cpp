#include "tarnex/info_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnex {
namespace {

struct InfoTexts {
    const char* title;
    const char* commandLine;
    const char* interface;
    const char* flags;
    const char* warning;
};

constexpr InfoTexts kEnglish = {"About Tarnex/Win95", "commandline: tarnex95 source key flag",
                                "API of tarnex.dll: void crypt(char *source, char *key, char flag)",
                                "source = source file name, flag = 0 -> Crypt, flag = 1 -> DeCrypt",
                                "USE ON YOUR OWN RISC !!!"};
constexpr InfoTexts kGerman = {"Info über Tarnex/Win95", "Befehlszeile: tarnex95 source key flag",
                               "Schnittstelle zur tarnex.dll: void crypt(char *source, char *key, char flag)",
                               "source = Name der Quelldatei, flag = 0 -> Crypt, flag = 1 -> DeCrypt",
                               "BENUTZUNG AUF EIGENE GEFAHR !!!"};

} // namespace

TInfoDialog::TInfoDialog(unsigned char languageFlag, QWidget* parent)
    : QDialog(parent), templateId_(languageFlag == 1 ? kEnglishTemplate : kGermanTemplate) {
    const InfoTexts& texts = languageFlag == 1 ? kEnglish : kGerman;
    setObjectName(QStringLiteral("InfoDialog"));
    setWindowTitle(QString::fromUtf8(texts.title));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    for (const char* line : {"Tarnex/Win95 v3.1", texts.commandLine, texts.interface, texts.flags, texts.warning}) {
        layout->addWidget(new QLabel(QString::fromUtf8(line), this));
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OkButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace tarnex
