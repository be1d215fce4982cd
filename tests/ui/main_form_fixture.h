#pragma once
// A main window over a private home directory and configuration file, with helpers
// that drive its browser as a user would.
#include <QHeaderView>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include <memory>
#include <string>
#include <vector>

#include "batch/program_lifecycle.h"
#include "common/temp_dir.h"
#include "settings/settings_file.h"
#include "ui/file_list_view.h"
#include "ui/main_form.h"

namespace vlt::testing {

class MainFormFixture {
public:
    MainFormFixture() : home_(std::make_unique<TempDir>()), config_(std::make_unique<TempDir>()) {
        qputenv("HOME", QByteArray::fromStdString(home_->Path()));
    }

    [[nodiscard]] const std::string& Home() const { return home_->Path(); }
    [[nodiscard]] std::string ConfigFile() const { return config_->File("vlt95.cfg"); }

    // Defaults (for an 800 x 600 screen), as a test changes them before storing.
    [[nodiscard]] static SettingsRecord Defaults() {
        SettingsRecord record{};
        DefaultSettings(record, 800, 600);
        record.SaveSensSwitch = 1; // keep CurrentPath in the file
        return record;
    }
    void Store(const SettingsRecord& record) const { QVERIFY(SaveSettings(ConfigFile(), record)); }
    [[nodiscard]] SettingsRecord Stored() const {
        SettingsRecord record{};
        if (!LoadSettings(ConfigFile(), record)) {
            QTest::qFail("the configuration file cannot be read", __FILE__, __LINE__);
        }
        return record;
    }

    // The window as the program creates it, not shown yet.
    ui::TMainForm& Create() {
        form_ = std::make_unique<ui::TMainForm>(ConfigFile());
        return *form_;
    }
    // The window (created unless it was), shown, after its first listing.
    ui::TMainForm& Start() {
        if (!form_) {
            Create();
        }
        form_->show();
        if (!QTest::qWaitForWindowExposed(form_.get())) {
            QTest::qFail("the main window was not shown", __FILE__, __LINE__);
        }
        if (!QTest::qWaitFor([this] { return !form_->State().FirstPaintPending; }, 5000)) {
            QTest::qFail("the first listing did not happen", __FILE__, __LINE__);
        }
        QCoreApplication::processEvents();
        return *form_;
    }
    ui::TMainForm& Form() { return *form_; }
    void Close() {
        form_->close();
        form_.reset();
    }

    [[nodiscard]] QTreeView& Report() { return *form_->FileView().ReportView(); }
    [[nodiscard]] std::string BrowserPath() { return form_->BrowserItems().BrowserPath(); }
    [[nodiscard]] std::vector<std::string> Captions() {
        std::vector<std::string> captions;
        const BrowserModel& model = form_->BrowserItems().Model();
        for (std::size_t i = 0; i < model.Count(); ++i) {
            captions.push_back(model.Item(i).caption);
        }
        return captions;
    }
    [[nodiscard]] int RowOf(const std::string& caption) {
        const std::vector<std::string> captions = Captions();
        for (std::size_t i = 0; i < captions.size(); ++i) {
            if (captions[i] == caption) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    // The row of the drive item for `mountPoint`, -1 when the listing shows none.
    [[nodiscard]] int RowOfDrive(const std::string& mountPoint) {
        const BrowserModel& model = form_->BrowserItems().Model();
        for (std::size_t i = 0; i < model.Count(); ++i) {
            if (IsDriveKind(model.Item(i).kind) && model.Item(i).name == mountPoint) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    [[nodiscard]] std::string HeaderCaption(int column) {
        return Report().model()->headerData(column, Qt::Horizontal).toString().toStdString();
    }
    [[nodiscard]] std::string StatusPanel(int number) {
        const auto* panel = form_->findChild<QLabel*>(QStringLiteral("StatusPanel%1").arg(number));
        return panel != nullptr ? panel->text().toStdString() : std::string("<no panel>");
    }
    [[nodiscard]] QToolButton& Button(const char* name) {
        auto* button = form_->findChild<QToolButton*>(QLatin1String(name));
        if (button == nullptr) {
            QTest::qFail(name, __FILE__, __LINE__);
        }
        return *button;
    }

    // A click on a column header, as the user makes it.
    void ClickColumn(int column) {
        QHeaderView& header = *Report().header();
        const QPoint at(header.sectionViewportPosition(column) + header.sectionSize(column) / 2, header.height() / 2);
        QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, at);
    }
    // A click on the entry, then Enter.
    void Select(int row) {
        QTreeView& view = Report();
        const QRect rect = view.visualRect(view.model()->index(row, 0));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, rect.center());
    }
    void Open(const std::string& caption) { OpenRow(RowOf(caption), caption); }
    void OpenRow(int row, const std::string& what) {
        if (row < 0) {
            QTest::qFail(("no entry " + what).c_str(), __FILE__, __LINE__);
            return;
        }
        Select(row);
        QTest::keyClick(&Report(), Qt::Key_Return);
    }

private:
    std::unique_ptr<TempDir> home_;
    std::unique_ptr<TempDir> config_;
    std::unique_ptr<ui::TMainForm> form_;
};

} // namespace vlt::testing
