// The clearing window on a small file system of its own: Cancel while filling, the
// second Cancel, a full disk, and the free space given back when the window closes.
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <sys/statvfs.h>

#include <memory>
#include <optional>

#include "common/file_size_limit.h"
#include "common/scratch_mount.h"
#include "common/temp_dir.h"
#include "scripted_message_boxes.h"
#include "ui/disk_clearer.h"

namespace vlt::ui {
namespace {

std::uint64_t FreeBytes(const std::string& directory) {
    struct statvfs info {};
    return statvfs(directory.c_str(), &info) == 0 ? std::uint64_t{info.f_bfree} * info.f_frsize : 0;
}

// A directory on a file system of `bytes`: a tmpfs of that size where this process may
// mount, else a temporary directory whose files the file size limit stops at `bytes`.
class SmallDisk {
public:
    explicit SmallDisk(std::uint64_t bytes) : mount_(bytes) {
        if (!mount_.Mounted()) {
            temp_.emplace();
            limit_.emplace(bytes);
        }
    }
    // Ends in "/".
    std::string Directory() const { return (temp_ ? temp_->Path() : mount_.Path()) + "/"; }
    // Whether free space is the file system's own (and so can be compared).
    bool OwnFileSystem() const { return mount_.Mounted(); }

private:
    testing::ScratchMount mount_;
    std::optional<testing::TempDir> temp_;
    std::optional<testing::FileSizeLimit> limit_;
};

} // namespace

class TestDiskClearer : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QWidget> mainWindow;
    std::unique_ptr<TDiskClearer> clearer;

    QPushButton* StopButton() { return clearer->findChild<QPushButton*>(QStringLiteral("StopButton")); }
    QString Info() { return clearer->findChild<QLabel*>(QStringLiteral("Info"))->text(); }
    // The window closed: the main window usable again, the fill file gone with its space.
    void ExpectClosedAndFreed(const SmallDisk& disk, std::uint64_t freeBefore) {
        QVERIFY(!clearer->isVisible());
        QVERIFY(mainWindow->isEnabled());
        QVERIFY(testing::ListNames(disk.Directory()).empty());
        if (disk.OwnFileSystem()) {
            QCOMPARE(FreeBytes(disk.Directory()), freeBefore);
        }
    }

private slots:
    void init() {
        mainWindow = std::make_unique<QWidget>();
        mainWindow->show();
        clearer = std::make_unique<TDiskClearer>(mainWindow.get());
    }
    void cleanup() {
        clearer.reset();
        mainWindow.reset();
    }

    void CancelStopsTheFillingAndASecondCancelClosesAndFreesTheSpace() {
        SmallDisk disk(64U << 20);
        const std::uint64_t freeBefore = FreeBytes(disk.Directory());
        bool refusedWhileFilling = false;
        QStringList infos;
        QTimer poll;
        poll.setInterval(0);
        connect(&poll, &QTimer::timeout, this, [&] {
            if (!clearer->isVisible()) {
                return;
            }
            QVERIFY(!mainWindow->isEnabled());
            QVERIFY(clearer->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            if (!Info().isEmpty() && !infos.contains(Info())) {
                infos << Info();
            }
            if (Info().startsWith(QStringLiteral("262,144 of "))) {
                clearer->close(); // the frame's close button: refused while filling
                refusedWhileFilling = clearer->isVisible();
                QTest::mouseClick(StopButton(), Qt::LeftButton);
                poll.stop();
            }
        });
        poll.start();
        clearer->ClearFreeSpace(disk.Directory());
        poll.stop();

        QVERIFY(refusedWhileFilling);
        QVERIFY(infos.size() >= 2);
        QVERIFY(infos[0].startsWith(QStringLiteral("0 of ")));
        QVERIFY(infos[0].endsWith(QStringLiteral(" bytes done")));
        QVERIFY(clearer->isVisible());
        QCOMPARE(clearer->windowTitle(), QString("User break - click [Cancel] again to finish"));
        QCOMPARE(Info(),
                 QString("Please wait a few seconds until the caches and buffers of Windows have been flushed..."));
        QCOMPARE(StopButton()->text(), QString("&Cancel"));
        QCOMPARE(StopButton()->toolTip(), QString("Stop clearing/Close this window"));
        QVERIFY(!mainWindow->isEnabled());
        QVERIFY(clearer->Clearer().Written() >= 262144U);
        if (disk.OwnFileSystem()) {
            QVERIFY(FreeBytes(disk.Directory()) <= freeBefore - clearer->Clearer().Written());
        }

        QTest::mouseClick(StopButton(), Qt::LeftButton);
        ExpectClosedAndFreed(disk, freeBefore);
    }

    void AFullDiskEndsTheFillingAndEscapeClosesTheWindow() {
        SmallDisk disk(3U << 20);
        const std::uint64_t freeBefore = FreeBytes(disk.Directory());
        clearer->ClearFreeSpace(disk.Directory());
        QCOMPARE(clearer->windowTitle(), QString("Done - click [Cancel] to finish"));
        if (disk.OwnFileSystem()) {
            QVERIFY(FreeBytes(disk.Directory()) < 64U * 1024);
        }
        QTest::keyClick(clearer.get(), Qt::Key_Escape);
        ExpectClosedAndFreed(disk, freeBefore);
    }

    void TheCaptionNamesTheDrive() {
        SmallDisk disk(1U << 20);
        QString shownCaption;
        QTimer::singleShot(0, this, [&] { shownCaption = clearer->windowTitle(); });
        clearer->ClearFreeSpace(disk.Directory());
        QVERIFY(shownCaption.startsWith(QStringLiteral("Clearing empty disk space on drive /")));
        if (disk.OwnFileSystem()) {
            std::string mountPoint = disk.Directory();
            mountPoint.pop_back();
            QVERIFY(shownCaption.contains(QString::fromStdString(mountPoint)));
        }
        clearer->close(); // the frame closes the window once the filling is over
        QVERIFY(!clearer->isVisible());
    }

    void AnUnopenableDirectoryGivesAMessageAndNoWindow() {
        testing::ScriptedMessageBoxes boxes;
        testing::TempDir temp;
        const std::string directory = temp.Path() + "/missing/";
        clearer->ClearFreeSpace(directory);
        QCOMPARE(boxes.shown.size(), std::size_t{1});
        QCOMPARE(boxes.shown[0].caption, std::string("System Error"));
        QCOMPARE(boxes.shown[0].text, "Can't open " + directory + "VLT95CF.DAT !");
        QVERIFY(boxes.shown[0].icon == MsgIcon::Error);
        QVERIFY(!clearer->isVisible());
        QVERIFY(mainWindow->isEnabled());
    }
};

} // namespace vlt::ui

QTEST_MAIN(vlt::ui::TestDiskClearer)
#include "test_disk_clearer.moc"
