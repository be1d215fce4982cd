#include "ui/password_dialog.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "support/secure_memory.h"
#include "support/windows_1252.h"
#include "ui/centre_on_screen.h"
#include "ui/help_window.h"
#include "ui/message_box_service.h"

namespace vlt::ui {

namespace {

constexpr int kDesignedWidth = 331;
constexpr int kDesignedHeight = 290;
constexpr int kSecondBlockHeight = 110;
const QColor kBlue(0, 0, 255);

// Masked fields show "*" for every character, whatever the desktop style's bullet.
class AsteriskStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) {
            return '*';
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// The field's text as UTF-8; the intermediate copy is wiped.
std::string FieldText(const QLineEdit* field) {
    QByteArray utf8 = field->text().toUtf8();
    std::string text(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    SecureZero(utf8.data(), static_cast<std::size_t>(utf8.size()));
    return text;
}

void Colour(QLineEdit* field, const QColor& background, const QColor& text) {
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Text, text);
    field->setPalette(palette);
}

} // namespace

TPasswordDialog::TPasswordDialog(SettingsRecord& settings, KeyboardLayer& keyboard, QWidget* parent)
    : QDialog(parent), settings_(settings), keyboard_(keyboard), asteriskStyle_(new AsteriskStyle) {
    asteriskStyle_->setParent(this);
    setProperty("helpContext", 600);
    const auto button = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(tr(caption), this);
        b->setObjectName(name);
        return b;
    };
    const auto check = [this](const char* name, const char* caption, int help) {
        auto* c = new QCheckBox(tr(caption), this);
        c->setObjectName(name);
        c->setProperty("helpContext", help);
        return c;
    };
    OKButton = button("OKButton", "&OK");
    OKButton->setDefault(true);
    CancelButton = button("CancelButton", "&Cancel");
    HelpButton = button("HelpButton", "&Help");
    ShowPassSwitch = check("ShowPassSwitch", "&Show passphrase", 601);
    SecColSwitch = check("SecColSwitch", "&TEMPEST", 602);
    NumSwitch = check("NumSwitch", "&Numerical Input", 603);

    QFont courier(QStringLiteral("Courier"));
    courier.setStyleHint(QFont::TypeWriter);
    courier.setPixelSize(13);
    const auto field = [&](const char* name) {
        auto* f = new QLineEdit(this);
        f->setObjectName(name);
        f->setFont(courier);
        f->setStyle(asteriskStyle_);
        return f;
    };
    const auto label = [this](const char* name, const char* caption, QLineEdit* buddy) {
        auto* l = new QLabel(tr(caption), this);
        l->setObjectName(name);
        l->setBuddy(buddy);
        return l;
    };
    Passw1Box1 = field("Passw1Box1");
    Passw1Box2 = field("Passw1Box2");
    Passw2Box1 = field("Passw2Box1");
    Passw2Box2 = field("Passw2Box2");
    Info11 = label("Info11", "", Passw1Box1);
    Info12 = label("Info12", "Confir&m:", Passw1Box2);
    Info21 = label("Info21", "", Passw2Box1);
    Info22 = label("Info22", "C&onfirm:", Passw2Box2);
    Divider = new QFrame(this);
    Divider->setObjectName("Divider");
    Divider->setFrameShape(QFrame::HLine);
    Divider->setFrameShadow(QFrame::Sunken);

    auto* top = new QGridLayout;
    top->addWidget(ShowPassSwitch, 0, 0);
    top->addWidget(SecColSwitch, 1, 0);
    top->addWidget(NumSwitch, 2, 0);
    top->addWidget(OKButton, 0, 1);
    top->addWidget(CancelButton, 1, 1);
    top->addWidget(HelpButton, 2, 1);
    top->setColumnStretch(0, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    for (QWidget* w : std::initializer_list<QWidget*>{Info11, Passw1Box1, Info12, Passw1Box2, Divider, Info21,
                                                       Passw2Box1, Info22, Passw2Box2}) {
        layout->addWidget(w);
    }
    layout->addStretch(1);
    setTabOrder(Passw1Box1, Passw1Box2);
    setTabOrder(Passw1Box2, Passw2Box1);
    setTabOrder(Passw2Box1, Passw2Box2);
    setTabOrder(Passw2Box2, OKButton);

    Flimmer = new QTimer(this);
    Flimmer->setObjectName("Flimmer");
    Flimmer->setInterval(40);
    KBNoiser = new QTimer(this);
    KBNoiser->setObjectName("KBNoiser");
    KBNoiser->setInterval(1);
    KBNoiser->setTimerType(Qt::PreciseTimer);

    connect(OKButton, &QPushButton::clicked, this, &TPasswordDialog::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TPasswordDialog::CancelButtonClick);
    connect(HelpButton, &QPushButton::clicked, this, &TPasswordDialog::HelpButtonClick);
    connect(ShowPassSwitch, &QCheckBox::clicked, this, &TPasswordDialog::ShowPassSwitchClick);
    connect(SecColSwitch, &QCheckBox::clicked, this, &TPasswordDialog::SecColSwitchClick);
    connect(NumSwitch, &QCheckBox::clicked, this, &TPasswordDialog::NumSwitchClick);
    connect(Passw1Box1, &QLineEdit::textChanged, this, &TPasswordDialog::Passw1Box1Change);
    connect(Passw2Box1, &QLineEdit::textChanged, this, &TPasswordDialog::Passw2Box1Change);
    connect(Flimmer, &QTimer::timeout, this, &TPasswordDialog::FlimmerTimer);
    connect(KBNoiser, &QTimer::timeout, this, &TPasswordDialog::KBNoiserTimer);

    // FormCreate: the designed height, or what the fonts need when that is more.
    designedHeight_ = std::max(kDesignedHeight, layout->sizeHint().height());
}

TPasswordDialog::~TPasswordDialog() {
    StopTempest();
}

bool TPasswordDialog::GetPassphrases(SecureBuffer& first, SecureBuffer& second) const {
    return store_.GetPassphrases(first, second);
}

PassphraseRequest TPasswordDialog::Request() const {
    return PassphraseRequestFor(settings_, EncryptMode);
}

QLineEdit* TPasswordDialog::FieldOf(PassphraseField field) const {
    switch (field) {
    case PassphraseField::Passw1Box1:
        return Passw1Box1;
    case PassphraseField::Passw1Box2:
        return Passw1Box2;
    case PassphraseField::Passw2Box1:
        return Passw2Box1;
    case PassphraseField::Passw2Box2:
        return Passw2Box2;
    case PassphraseField::None:
        break;
    }
    return nullptr;
}

void TPasswordDialog::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TPasswordDialog::FormShow() {
    EmptyFields();
    store_.ClearAccepted();
    const PassphraseRequest request = Request();
    setWindowTitle(QString::fromStdString(PassphraseCaption(request)));
    Info11->setText(QString::fromStdString(EntryLabel(request, false)));
    if (request.mixed) {
        Info21->setText(QString::fromStdString(EntryLabel(request, true)));
    }
    SetFieldLengths();
    Divider->setVisible(request.mixed);
    Info21->setVisible(request.mixed);
    Passw2Box1->setVisible(request.mixed);
    Info22->setVisible(request.mixed && request.encrypt);
    Passw2Box2->setVisible(request.mixed && request.encrypt);
    Info12->setVisible(request.encrypt);
    Passw1Box2->setVisible(request.encrypt);
    const int height = request.mixed ? designedHeight_ : designedHeight_ - kSecondBlockHeight;
    setFixedSize(std::max(kDesignedWidth, layout()->minimumSize().width()),
                 std::max(height, layout()->minimumSize().height()));
    CentreOnScreen(*this);
    SetMasking(settings_.ShowPassSwitch != 0);
    ShowPassSwitch->setChecked(settings_.ShowPassSwitch != 0);
    SecColSwitch->setChecked(settings_.SecColSwitch != 0);
    NumSwitch->setChecked(settings_.NumSwitch != 0);
    toneColor_ = EncryptMode ? QColor(255, 0, 0) : QColor(0, 255, 0);
    if (settings_.SecColSwitch) {
        StartTempest();
    } else {
        StopTempest();
        SystemColours();
    }
    Passw1Box1->setFocus();
}

void TPasswordDialog::SetFieldLengths() {
    const PassphraseRequest request = Request();
    const int first = static_cast<int>(EntryFieldLength(request, false));
    const int second = static_cast<int>(EntryFieldLength(request, true));
    Passw1Box1->setMaxLength(first);
    Passw1Box2->setMaxLength(first);
    Passw2Box1->setMaxLength(second);
    Passw2Box2->setMaxLength(second);
}

void TPasswordDialog::SetMasking(bool shown) {
    for (QLineEdit* field : {Passw1Box1, Passw1Box2, Passw2Box1, Passw2Box2}) {
        field->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
    }
}

void TPasswordDialog::EmptyFields() {
    for (QLineEdit* field : {Passw1Box1, Passw1Box2, Passw2Box1, Passw2Box2}) {
        field->clear();
    }
}

void TPasswordDialog::OKButtonClick() {
    const PassphraseRequest request = Request();
    PassphraseEntries entries;
    entries.first = FieldText(Passw1Box1);
    entries.firstConfirmation = FieldText(Passw1Box2);
    entries.second = FieldText(Passw2Box1);
    entries.secondConfirmation = FieldText(Passw2Box2);
    if (const std::optional<PassphraseProblem> problem = CheckPassphrases(request, entries)) {
        MessageBoxes().ShowMessage(problem->caption, problem->text, MsgIcon::Exclamation);
        if (QLineEdit* field = FieldOf(problem->focus)) {
            field->setFocus();
        }
        return;
    }
    if (const std::optional<PassphraseProblem> warning = RepeatedPartsWarning(request, entries)) {
        if (MessageBoxes().MessageBox(warning->caption, warning->text, MsgIcon::Exclamation, MsgButtons::YesNo) !=
            MsgAnswer::Yes) {
            return;
        }
    }
    store_.Fill(entries.first, request.mixed ? entries.second : std::string(), true);
    accept();
}

void TPasswordDialog::CancelButtonClick() {
    // The stores take what the first pair of fields holds; they are not handed out
    // after a cancel, so text without passphrase bytes is stored as nothing.
    Windows1252Result first = Utf8ToWindows1252(FieldText(Passw1Box1));
    Windows1252Result second = Utf8ToWindows1252(FieldText(Passw1Box2));
    store_.Fill(first.bytes, second.bytes, false);
    WipeString(first.bytes);
    WipeString(second.bytes);
    reject();
}

void TPasswordDialog::HelpButtonClick() {
    ShowHelpContext(this, 600);
}

void TPasswordDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        CancelButton->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TPasswordDialog::done(int result) {
    StopTempest();
    EmptyFields();
    QDialog::done(result);
}

void TPasswordDialog::ShowPassSwitchClick() {
    settings_.ShowPassSwitch = ShowPassSwitch->isChecked() ? 1 : 0;
    SetMasking(settings_.ShowPassSwitch != 0);
}

void TPasswordDialog::Passw1Box1Change() {
    if (settings_.ShowPassSwitch) {
        Passw1Box2->setText(Passw1Box1->text());
    }
}

void TPasswordDialog::Passw2Box1Change() {
    if (settings_.ShowPassSwitch) {
        Passw2Box2->setText(Passw2Box1->text());
    }
}

void TPasswordDialog::NumSwitchClick() {
    settings_.NumSwitch = NumSwitch->isChecked() ? 1 : 0;
    SetFieldLengths();
    if (!settings_.NumSwitch) {
        EmptyFields();
        return;
    }
    // A visible passphrase's confirmation follows its field by the mirroring.
    const bool mirrored = settings_.ShowPassSwitch != 0;
    for (QLineEdit* field : {Passw1Box1, Passw1Box2, Passw2Box1, Passw2Box2}) {
        if (mirrored && (field == Passw1Box2 || field == Passw2Box2)) {
            continue;
        }
        std::string text = FieldText(field);
        Windows1252Result bytes = Utf8ToWindows1252(text);
        if (bytes.Ok()) {
            std::string form = NumericalForm(bytes.bytes);
            field->setText(QString::fromStdString(form));
            WipeString(form);
        } else if (const std::optional<PassphraseProblem> problem = ConversionProblem(text, PassphraseField::None)) {
            MessageBoxes().ShowMessage(problem->caption, problem->text, MsgIcon::Exclamation);
        }
        WipeString(bytes.bytes);
        WipeString(text);
    }
}

void TPasswordDialog::SecColSwitchClick() {
    settings_.SecColSwitch = SecColSwitch->isChecked() ? 1 : 0;
    if (settings_.SecColSwitch) {
        StartTempest();
    } else {
        StopTempest();
        SystemColours();
    }
}

void TPasswordDialog::StartTempest() {
    flickerPhase_ = false;
    noisePhase_ = false;
    savedKeyboard_ = keyboard_.GetKeyboardState();
    KBNoiser->start();
    Flimmer->start();
}

void TPasswordDialog::StopTempest() {
    if (KBNoiser->isActive()) {
        KBNoiser->stop();
        KeyboardState state = keyboard_.GetKeyboardState();
        state[kVkScroll] = savedKeyboard_[kVkScroll];
        keyboard_.SetKeyboardState(state);
    }
    Flimmer->stop();
}

void TPasswordDialog::SystemColours() {
    const QPalette system = QGuiApplication::palette();
    for (QLineEdit* field : {Passw1Box1, Passw1Box2, Passw2Box1, Passw2Box2}) {
        Colour(field, system.color(QPalette::Base), system.color(QPalette::Text));
    }
}

// The timers fire from the event loop, which runs pending events between them; the
// handlers themselves stay short.
void TPasswordDialog::FlimmerTimer() {
    const auto paintPair = [this](QLineEdit* field, QLineEdit* confirmation) {
        if (flickerPhase_) {
            Colour(field, kBlue, toneColor_);
            Colour(confirmation, toneColor_, kBlue);
        } else {
            Colour(field, toneColor_, kBlue);
            Colour(confirmation, kBlue, toneColor_);
        }
        field->repaint();
        confirmation->repaint();
    };
    paintPair(Passw1Box1, Passw1Box2);
    if (settings_.MixedEncryptionSwitch) {
        paintPair(Passw2Box1, Passw2Box2);
    }
    flickerPhase_ = !flickerPhase_;
}

void TPasswordDialog::KBNoiserTimer() {
    keyboard_.ScrollLockEvent(noisePhase_);
    noisePhase_ = !noisePhase_;
}

} // namespace vlt::ui
