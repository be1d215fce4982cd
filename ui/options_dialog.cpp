#include "ui/options_dialog.h"

#include <QGuiApplication>
#include <QFontInfo>
#include <QScreen>
#include <algorithm>

#include "batch/browser_host.h"
#include "cipher/algorithm_table.h"
#include "platform/attributes.h"
#include "settings/option_rules.h"
#include "ui/font_dialog_service.h"
#include "ui/help_window.h"
#include "ui/list_font.h"
#include "ui_options_dialog.h"

namespace vlt::ui {
namespace {

constexpr int kOptionsHelp = 400;
constexpr std::size_t kFontNameLimit = 32;

// The field keeps 32 bytes; a name cut there must not end inside a character.
std::string FontNameForField(const QString& family) {
    std::string name = family.toStdString();
    if (name.size() > kFontNameLimit) {
        std::size_t end = kFontNameLimit;
        while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) {
            --end;
        }
        name.resize(end);
    }
    return name;
}

std::uint8_t FontStyleOf(const QFont& font) {
    return static_cast<std::uint8_t>((font.bold() ? 0x01 : 0) | (font.italic() ? 0x02 : 0) |
                                     (font.underline() ? 0x04 : 0) | (font.strikeOut() ? 0x08 : 0));
}

std::uint16_t StoredEdge(int edge) {
    return static_cast<std::uint16_t>(std::clamp(edge, 0, 0xFFFF));
}

} // namespace

TOptionsDialog::TOptionsDialog(SettingsRecord& live, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TOptionsDialog>()), live_(live) {
    ui_->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    InstallHelpKey(this);
    ui_->OptsSheets->setCurrentWidget(ui_->AlgoSheet);

    switches_ = {
        {ui_->MixedEncryptionSwitch, &SettingsRecord::MixedEncryptionSwitch},
        {ui_->ZeroCBCSwitch, &SettingsRecord::ZeroCBCSwitch},
        {ui_->SaveSensSwitch, &SettingsRecord::SaveSensSwitch},
        {ui_->IncFNameSwitch, &SettingsRecord::IncFNameSwitch},
        {ui_->RestFNameSwitch, &SettingsRecord::RestFNameSwitch},
        {ui_->RestAttrSwitch, &SettingsRecord::RestAttrSwitch},
        {ui_->KeepDTSwitch, &SettingsRecord::KeepDTSwitch},
        {ui_->IgnoreCRC32Switch, &SettingsRecord::IgnoreCRC32Switch},
        {ui_->ExtDestDialogSwitch, &SettingsRecord::ExtDestDialogSwitch},
        {ui_->RemoveOrigSwitch, &SettingsRecord::RemoveOrigSwitch},
        {ui_->RenameSwitch, &SettingsRecord::RenameSwitch},
        {ui_->KeepExtSwitch, &SettingsRecord::KeepExtSwitch},
        {ui_->CompressSwitch, &SettingsRecord::CompressSwitch},
        {ui_->ForceCompSwitch, &SettingsRecord::ForceCompSwitch},
        {ui_->OverWSwitch, &SettingsRecord::OverWSwitch},
        {ui_->VerifySwitch, &SettingsRecord::VerifySwitch},
        {ui_->WipeConfSwitch, &SettingsRecord::WipeConfSwitch},
        {ui_->WipeSwitch, &SettingsRecord::WipeSwitch},
        {ui_->ParaWipeSwitch, &SettingsRecord::ParaWipeSwitch},
        {ui_->ShowDetailsSwitch, &SettingsRecord::ShowDetailsSwitch},
        {ui_->ConfirmSwitch, &SettingsRecord::ConfirmSwitch},
    };
    // Clicks only: filling the controls from the copy runs no handler.
    for (const SwitchBinding& binding : switches_) {
        connect(binding.box, &QCheckBox::clicked, this, [this, field = binding.field](bool checked) {
            copy_.*field = checked ? 1 : 0;
            ShowMixedEncryptionLayout();
            UpdateEnabledStates();
        });
    }
    connect(ui_->IgnoreAlreadyEncSwitch, &QCheckBox::clicked, this,
            [this](bool checked) { copy_.SetIgnoreAlreadyEncrypted(checked); });
    const std::pair<QCheckBox*, std::uint32_t> exclusions[] = {{ui_->ExclArchiveSwitch, faArchive},
                                                              {ui_->ExclReadonlySwitch, faReadOnly},
                                                              {ui_->ExclHiddenSwitch, faHidden},
                                                              {ui_->ExclSystemSwitch, faSystem}};
    for (const auto& [box, bit] : exclusions) {
        connect(box, &QCheckBox::clicked, this, [this, bit = bit](bool checked) { ExclusionSwitchClick(bit, checked); });
    }
    connect(ui_->VLT7CompSwitch, &QCheckBox::clicked, this, &TOptionsDialog::VLT7CompSwitchClick);
    connect(ui_->Algo1Box, &QComboBox::activated, this, &TOptionsDialog::Algo1BoxChange);
    connect(ui_->Algo2Box, &QComboBox::activated, this, &TOptionsDialog::Algo2BoxChange);
    connect(ui_->FileViewSetting, &QComboBox::activated, this, &TOptionsDialog::FileViewSettingChange);
    connect(ui_->NumOfDODControllerUp, &QToolButton::clicked, this, &TOptionsDialog::NumOfDODControllerUpClick);
    connect(ui_->NumOfDODControllerDown, &QToolButton::clicked, this, &TOptionsDialog::NumOfDODControllerDownClick);
    connect(ui_->NumOfDODBox, &QLineEdit::returnPressed, this, &TOptionsDialog::NumOfDODBoxKeyPress);
    connect(ui_->FontButton, &QPushButton::clicked, this, &TOptionsDialog::FontButtonClick);
    connect(ui_->OKButton, &QPushButton::clicked, this, &TOptionsDialog::OKButtonClick);
    connect(ui_->CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui_->HelpButton, &QPushButton::clicked, this, &TOptionsDialog::HelpButtonClick);
}

TOptionsDialog::~TOptionsDialog() = default;

void TOptionsDialog::TurnToBrowserPage() {
    ui_->OptsSheets->setCurrentWidget(ui_->BrowserSheet);
}

int TOptionsDialog::exec() {
    FormShow();
    return QDialog::exec();
}

void TOptionsDialog::done(int result) {
    live_.OptionsLeft = StoredEdge(pos().x());
    live_.OptionsTop = StoredEdge(pos().y());
    QDialog::done(result);
}

void TOptionsDialog::FormShow() {
    BeginOptionsEdit(live_, copy_);
    // A position on no screen (a display since removed) falls back to the corner.
    const QPoint stored(live_.OptionsLeft, live_.OptionsTop);
    move(QGuiApplication::screenAt(stored) != nullptr ? stored : QPoint(0, 0));
    ShowControls();
    ui_->OKButton->setFocus();
}

void TOptionsDialog::ShowControls() {
    for (const SwitchBinding& binding : switches_) {
        binding.box->setChecked(copy_.*binding.field != 0);
    }
    ui_->IgnoreAlreadyEncSwitch->setChecked(copy_.IgnoreAlreadyEncrypted());
    ui_->ExclArchiveSwitch->setChecked((copy_.ExcludeMask & faArchive) != 0);
    ui_->ExclReadonlySwitch->setChecked((copy_.ExcludeMask & faReadOnly) != 0);
    ui_->ExclHiddenSwitch->setChecked((copy_.ExcludeMask & faHidden) != 0);
    ui_->ExclSystemSwitch->setChecked((copy_.ExcludeMask & faSystem) != 0);
    ui_->VLT7CompSwitch->setChecked(copy_.VLT7CompSwitch != 0);
    ui_->FileViewSetting->setCurrentIndex(copy_.FileViewSetting < ui_->FileViewSetting->count()
                                              ? copy_.FileViewSetting
                                              : -1);
    ShowOverwriteCount();
    FillAlgorithmLists();
    ShowMixedEncryptionLayout();
    UpdateEnabledStates();
}

void TOptionsDialog::FillAlgorithmLists() {
    const AlgorithmLists lists = AlgorithmListsOf(copy_);
    const auto fill = [](QComboBox& box, const std::vector<AlgorithmId>& ids, int position) {
        box.clear();
        for (const AlgorithmId id : ids) {
            box.addItem(QString::fromLatin1(AlgorithmName(id)));
        }
        box.setCurrentIndex(position);
    };
    fill(*ui_->Algo1Box, lists.first, lists.firstPosition);
    fill(*ui_->Algo2Box, lists.second, lists.secondPosition);
}

void TOptionsDialog::ShowMixedEncryptionLayout() {
    const bool mixed = copy_.MixedEncryptionSwitch != 0;
    ui_->Info11->setText(mixed ? QStringLiteral("First &Algorithm:") : QStringLiteral("&Algorithm:"));
    ui_->Info12->setVisible(mixed);
    ui_->Algo2Box->setVisible(mixed);
}

// A disabled box keeps its tick: the setting waits for the box it depends on.
void TOptionsDialog::UpdateEnabledStates() {
    ui_->KeepExtSwitch->setEnabled(copy_.RenameSwitch != 0);
    ui_->ForceCompSwitch->setEnabled(copy_.CompressSwitch != 0);
    ui_->RemoveOrigSwitch->setEnabled(copy_.ExtDestDialogSwitch != 0);
    ui_->ParaWipeSwitch->setEnabled(copy_.WipeSwitch != 0);
    const bool counted = copy_.WipeSwitch != 0 && copy_.ParaWipeSwitch == 0;
    for (QWidget* control : {static_cast<QWidget*>(ui_->Info31), static_cast<QWidget*>(ui_->NumOfDODBox),
                             static_cast<QWidget*>(ui_->NumOfDODController)}) {
        control->setEnabled(counted);
    }
}

void TOptionsDialog::ShowOverwriteCount() {
    ui_->NumOfDODBox->setText(QString::number(copy_.NumOfDODBox));
}

void TOptionsDialog::OKButtonClick() {
    AcceptOptions(live_, copy_, ui_->NumOfDODBox->text().toStdString());
    accept();
}

void TOptionsDialog::HelpButtonClick() {
    ShowHelpContext(this, kOptionsHelp);
}

void TOptionsDialog::VLT7CompSwitchClick(bool checked) {
    if (checked) {
        VLT7CompatibleOn(copy_);
    } else {
        VLT7CompatibleOff(copy_);
    }
    FillAlgorithmLists();
}

void TOptionsDialog::Algo1BoxChange(int position) {
    vlt::Algo1BoxChange(copy_, position);
    FillAlgorithmLists();
}

void TOptionsDialog::Algo2BoxChange(int position) {
    vlt::Algo2BoxChange(copy_, position);
}

void TOptionsDialog::NumOfDODControllerUpClick() {
    copy_.NumOfDODBox = OverwriteCountUp(ui_->NumOfDODBox->text().toStdString());
    ShowOverwriteCount();
}

void TOptionsDialog::NumOfDODControllerDownClick() {
    copy_.NumOfDODBox = OverwriteCountDown(ui_->NumOfDODBox->text().toStdString());
    ShowOverwriteCount();
}

// Enter shows the count the text stands for (OK then reads the same).
void TOptionsDialog::NumOfDODBoxKeyPress() {
    copy_.NumOfDODBox = ReadOverwriteCount(ui_->NumOfDODBox->text().toStdString());
    ShowOverwriteCount();
}

void TOptionsDialog::FontButtonClick() {
    const ListFont stored{copy_.GetFontName(), copy_.FontSize, copy_.FontStyle, copy_.FontColor};
    QFont font = ui_->FontButton->font();
    (void)ToQFont(stored, font);
    const QColor storedColour = ToQColor(copy_.FontColor, palette());
    QColor colour = storedColour;
    if (!FontDialogs().ChooseFont(this, font, colour)) {
        return;
    }
    (void)copy_.SetFontName(FontNameForField(font.family()));
    const int points = font.pointSize() > 0 ? font.pointSize() : QFontInfo(font).pointSize();
    copy_.FontSize = static_cast<std::uint16_t>(std::clamp(points, 1, 0xFFFF));
    copy_.FontStyle = FontStyleOf(font);
    // An unchanged colour keeps its system colour number, so it follows the desktop.
    if (colour != storedColour) {
        copy_.FontColor = StoredColour(colour);
    }
}

void TOptionsDialog::FileViewSettingChange(int position) {
    copy_.FileViewSetting = static_cast<std::uint8_t>(position);
}

void TOptionsDialog::ExclusionSwitchClick(std::uint32_t bit, bool checked) {
    copy_.ExcludeMask = checked ? copy_.ExcludeMask | bit : copy_.ExcludeMask & ~bit;
}

} // namespace vlt::ui
