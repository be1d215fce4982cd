#include "tarnex/tarnex95_dlg_client.h"

#include "tarnex/cipher_libraries.h"
#include "tarnex/desktop_services.h"
#include "tarnex/info_dialog.h"
#include "tarnex/key_length_view.h"
#include "tarnex/message_box_service.h"
#include "tarnex/program_icon.h"
#include "tarnex/string_table.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace tarnex {
namespace {

enum ControlId : int {
    idOk = 1,
    idCancel = 2,
    idFileNameEdit = 101,
    idKeyEdit = 102,
    idFileNameButton = 103,
    idKeyFileButton = 104,
    idViewButton = 105,
    idInfoButton = 106,
    idCrypt = 107,
    idDeCrypt = 108,
    idDosButton = 109,
    idTarnex = 110,
    idFile = 111,
    idChaos = 112,
    idProcedureLabel = 113,
    idLanguageButton = 114,
    idChaos2 = 115,
};

// The captions that follow the language; all others read the same in both.
struct LanguageCaption {
    const char* objectName;
    const char* english;
    const char* german;
};

constexpr LanguageCaption kLanguageCaptions[] = {
    {"FileNameButton", "Filename", "Dateiname"},
    {"KeyFileButton", "Key/keyfile", "Schlüssel"},
    {"ViewButton", "View", "Ansicht"},
    {"CancelButton", "Cancel", "Abbrechen"},
    {"ProcedureLabel", "Procedure", "Verfahren"},
    {"FileRadio", "File", "Datei"},
};

template <typename Control> Control* MakeControl(QWidget* parent, const char* name, int id, const char* caption) {
    auto* control = new Control(QString::fromUtf8(caption), parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setProperty("controlId", id);
    return control;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, int id, int limit) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setProperty("controlId", id);
    edit->setMaxLength(limit);
    return edit;
}

QFrame* MakeSeparator(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

// A frame around one group of radio buttons, headed by its label.
QFrame* MakeGroupFrame(QWidget* parent, QLabel* heading, QButtonGroup* group,
                       std::initializer_list<QRadioButton*> buttons) {
    auto* frame = new QFrame(parent);
    frame->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(heading);
    for (QRadioButton* button : buttons) {
        group->addButton(button, button->property("controlId").toInt());
        layout->addWidget(button);
    }
    layout->addStretch();
    return frame;
}

} // namespace

TTarnex95DlgClient::TTarnex95DlgClient(TProgramState& state, TDialogServices services, QWidget* parent)
    : QWidget(parent), state_(state), services_(services) {
    setObjectName(QStringLiteral("Tarnex95DlgClient"));
    SetupControls();
    InitDialog();
}

void TTarnex95DlgClient::SetupControls() {
    fileNameEdit_ = MakeEdit(this, "FileNameEdit", idFileNameEdit, kFileNameLimit);
    keyEdit_ = MakeEdit(this, "KeyEdit", idKeyEdit, kKeyLimit);
    keyLengthView_ = new TKeyLengthView(this);
    auto* fileNameButton = MakeControl<QPushButton>(this, "FileNameButton", idFileNameButton, "Filename");
    auto* keyFileButton = MakeControl<QPushButton>(this, "KeyFileButton", idKeyFileButton, "Key/keyfile");
    auto* viewButton = MakeControl<QPushButton>(this, "ViewButton", idViewButton, "View");
    auto* infoButton = MakeControl<QPushButton>(this, "InfoButton", idInfoButton, "Info");
    auto* dosButton = MakeControl<QPushButton>(this, "DosButton", idDosButton, "DOS");
    auto* languageButton = MakeControl<QPushButton>(this, "LanguageButton", idLanguageButton, "US/DE");
    auto* okButton = MakeControl<QPushButton>(this, "OkButton", idOk, "OK");
    auto* cancelButton = MakeControl<QPushButton>(this, "CancelButton", idCancel, "Cancel");
    okButton->setDefault(true);
    okButton->setAutoDefault(true);

    directionGroup_ = new QButtonGroup(this);
    methodGroup_ = new QButtonGroup(this);
    auto* taskLabel = MakeControl<QLabel>(this, "TaskLabel", -1, "Task");
    auto* procedureLabel = MakeControl<QLabel>(this, "ProcedureLabel", idProcedureLabel, "Procedure");
    QFrame* taskFrame = MakeGroupFrame(this, taskLabel, directionGroup_,
                                       {MakeControl<QRadioButton>(this, "CryptRadio", idCrypt, "Crypt"),
                                        MakeControl<QRadioButton>(this, "DeCryptRadio", idDeCrypt, "DeCrypt")});
    QFrame* procedureFrame = MakeGroupFrame(this, procedureLabel, methodGroup_,
                                            {MakeControl<QRadioButton>(this, "TarnexRadio", idTarnex, "Tarnex"),
                                             MakeControl<QRadioButton>(this, "FileRadio", idFile, "File"),
                                             MakeControl<QRadioButton>(this, "ChaosRadio", idChaos, "Chaos"),
                                             MakeControl<QRadioButton>(this, "Chaos2Radio", idChaos2, "Chaos2")});

    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(32, 32));

    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(fileNameEdit_, 0, 1, 1, 2);
    layout->addWidget(fileNameButton, 0, 3);
    layout->addWidget(keyEdit_, 1, 1, 1, 2);
    layout->addWidget(keyFileButton, 1, 3);
    layout->addWidget(keyLengthView_, 1, 4);
    layout->addWidget(MakeSeparator(this), 2, 0, 1, 5);
    layout->addWidget(taskFrame, 3, 0, 1, 2);
    layout->addWidget(procedureFrame, 3, 2);
    auto* buttons = new QGridLayout;
    int slot = 0;
    for (QPushButton* button : {okButton, cancelButton, viewButton, infoButton, dosButton, languageButton}) {
        buttons->addWidget(button, slot / 2, slot % 2);
        ++slot;
    }
    layout->addLayout(buttons, 3, 3, 1, 2, Qt::AlignTop);
    layout->addWidget(MakeSeparator(this), 4, 0, 1, 5);
    fileNameEdit_->setMinimumWidth(fontMetrics().averageCharWidth() * 40);

    connect(keyEdit_, &QLineEdit::textChanged, this, &TTarnex95DlgClient::KeyChange);
    // As in a dialog: Enter in a field presses the default button OK, Escape presses Cancel.
    connect(fileNameEdit_, &QLineEdit::returnPressed, okButton, &QPushButton::click);
    connect(keyEdit_, &QLineEdit::returnPressed, okButton, &QPushButton::click);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, cancelButton,
            &QPushButton::click);
    connect(okButton, &QPushButton::clicked, this, &TTarnex95DlgClient::OkClick);
    connect(cancelButton, &QPushButton::clicked, this, &TTarnex95DlgClient::CloseRequested);
    connect(fileNameButton, &QPushButton::clicked, this, &TTarnex95DlgClient::FileNameClick);
    connect(keyFileButton, &QPushButton::clicked, this, &TTarnex95DlgClient::KeyFileClick);
    connect(dosButton, &QPushButton::clicked, this, &TTarnex95DlgClient::DosClick);
    connect(viewButton, &QPushButton::clicked, this, &TTarnex95DlgClient::ViewClick);
    connect(infoButton, &QPushButton::clicked, this, &TTarnex95DlgClient::InfoClick);
    connect(languageButton, &QPushButton::clicked, this, &TTarnex95DlgClient::LanguageClick);
}

// Runs when the dialog is set up and after every language switch: direction and method go back to
// Crypt and Tarnex, and the command line's values are put in again.
void TTarnex95DlgClient::InitDialog() {
    directionGroup_->button(idCrypt)->setChecked(true);
    methodGroup_->button(idTarnex)->setChecked(true);
    if (!state_.start.fileName.isEmpty()) {
        fileNameEdit_->setText(state_.start.fileName);
        keyEdit_->setText(state_.start.key);
        // Only 1 asks for DeCrypt; any other number leaves Crypt.
        directionGroup_->button(state_.start.direction == 1 ? idDeCrypt : idCrypt)->setChecked(true);
    }
    const bool english = state_.languageFlag == 1;
    for (const LanguageCaption& caption : kLanguageCaptions) {
        QWidget* control = findChild<QWidget*>(QString::fromLatin1(caption.objectName));
        control->setProperty("text", QString::fromUtf8(english ? caption.english : caption.german));
    }
}

int TTarnex95DlgClient::CheckedDirection() const {
    return directionGroup_->checkedId();
}

int TTarnex95DlgClient::CheckedMethod() const {
    return methodGroup_->checkedId();
}

QString TTarnex95DlgClient::KeyLengthText() const {
    return keyLengthView_->Text();
}

QString TTarnex95DlgClient::Text(int germanId) const {
    return LoadTableString(StringId(germanId), state_.languageFlag);
}

void TTarnex95DlgClient::ShowError(int germanId) {
    services_.messages.Tell(this, Text(sError), Text(germanId), MessageIcon::Stop);
}

void TTarnex95DlgClient::KeyChange() {
    keyLengthView_->ShowLength(keyEdit_->text().size());
}

void TTarnex95DlgClient::OkClick() {
    const char direction = CheckedDirection() == idCrypt ? 0 : 1;
    const QString fileName = fileNameEdit_->text();
    const QString key = keyEdit_->text();
    if (fileName.isEmpty()) {
        ShowError(sNoFileName);
    } else if (key.isEmpty()) {
        ShowError(sNoKey);
    } else if (key.size() > kTarnexKeyLimit && CheckedMethod() == idTarnex) {
        ShowError(sKeyTooLong);
    } else if (RunMethod(fileName, key, direction)) {
        // A library that reported a failure has said what happened; completion would contradict it.
        services_.messages.Tell(this, Text(sMessage), Text(sCompleted), MessageIcon::Stop);
    }
}

bool TTarnex95DlgClient::RunMethod(const QString& fileName, const QString& key, char direction) {
    switch (CheckedMethod()) {
    case idTarnex:
        return services_.ciphers.Tarnex(fileName, key, direction);
    case idFile:
        return services_.ciphers.KeyFile(fileName, key);
    case idChaos:
        return services_.ciphers.Chaos(fileName, key, direction);
    case idChaos2:
        return services_.ciphers.Chaos2(fileName, key, direction);
    default:
        return false;
    }
}

bool TTarnex95DlgClient::BrowseInto(QLineEdit* edit) {
    const OpenFileResult result = services_.files.ChooseFile(this, Text(sFileFilter));
    if (result.outcome == OpenFileResult::Outcome::Failed) {
        const QString text = Text(sOpenFileError).replace(QStringLiteral("%lu"), QString::number(result.errorNumber));
        services_.messages.Tell(this, Text(sWarning), text, MessageIcon::Stop);
        return false;
    }
    if (result.outcome == OpenFileResult::Outcome::Cancelled) {
        return false;
    }
    edit->setText(result.path);
    return true;
}

void TTarnex95DlgClient::FileNameClick() {
    (void)BrowseInto(fileNameEdit_);
}

void TTarnex95DlgClient::KeyFileClick() {
    if (BrowseInto(keyEdit_)) {
        methodGroup_->button(idFile)->setChecked(true);
    }
}

void TTarnex95DlgClient::ReportStartFailure(const QString& what) {
    const QString text = state_.languageFlag == 1 ? QStringLiteral("Cannot start %1!").arg(what)
                                                  : QStringLiteral("%1 kann nicht gestartet werden!").arg(what);
    services_.messages.Tell(this, Text(sError), text, MessageIcon::Stop);
}

void TTarnex95DlgClient::ViewClick() {
    const QString fileName = fileNameEdit_->text();
    if (!fileName.isEmpty() && !services_.programs.StartTextEditor(fileName)) {
        ReportStartFailure(state_.languageFlag == 1 ? QStringLiteral("text editor") : QStringLiteral("Texteditor"));
    }
}

void TTarnex95DlgClient::DosClick() {
    if (!services_.programs.StartCommandPrompt()) {
        ReportStartFailure(state_.languageFlag == 1 ? QStringLiteral("terminal") : QStringLiteral("Terminal"));
    }
}

void TTarnex95DlgClient::InfoClick() {
    TInfoDialog info(state_.languageFlag, this);
    info.exec();
}

void TTarnex95DlgClient::LanguageClick() {
    state_.languageFlag = state_.languageFlag == 1 ? 0 : 1;
    services_.ciphers.SetLanguage(state_.languageFlag);
    InitDialog();
}

} // namespace tarnex
