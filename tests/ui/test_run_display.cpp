// What a run draws: the progress bar with its percentage in the mode's colour, and the
// message log view with its scroll bar.
#include <QImage>
#include <QScrollBar>
#include <QtTest>

#include "batch/job_mode.h"
#include "batch/message_log.h"
#include "batch/progress.h"
#include "settings/settings_file.h"
#include "ui/status_bar_x.h"
#include "ui/terminal_output.h"

using namespace vlt;
using namespace vlt::ui;

namespace {

// The log view as a window shows it: rows from the widget, paints forwarded.
class WidgetView : public LogView {
public:
    explicit WidgetView(TerminalOutput& output) : output_(output) {}
    std::int32_t LogRows() const override { return output_.LogRows(); }
    void LogShow(bool) override {}
    void LogPaint(MessageLog& log) override { output_.LogPaint(log); }

private:
    TerminalOutput& output_;
};

// Columns of row `y` whose colour is `colour`.
int CountColour(const QImage& image, int y, const QColor& colour) {
    int n = 0;
    for (int x = 0; x < image.width(); ++x) {
        n += image.pixelColor(x, y) == colour ? 1 : 0;
    }
    return n;
}

bool RowHasInk(const QImage& image, int top, int height, const QColor& background) {
    for (int y = top; y < top + height; ++y) {
        for (int x = 0; x < image.width() - 20; ++x) {
            if (image.pixelColor(x, y) != background) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

class RunDisplayTest : public QObject {
    Q_OBJECT

private slots:
    void barFillsInTheModesColourWithThePercentage() {
        StatusBarX bar;
        bar.resize(202, 21);
        bar.SetColour(JobColour(jmDecrypt));
        QCOMPARE(bar.Colour(), QColor(0, 128, 0));
        // A group smaller than the bar's width fills only when it is complete.
        bar.SetProgress(25, 50, ProgressPercent(25, 50));
        QCOMPARE(bar.Percent(), 50);
        QCOMPARE(bar.FillWidth(), 0);
        bar.SetProgress(50000, 100000, ProgressPercent(50000, 100000));
        QCOMPARE(bar.Percent(), 50);
        QCOMPARE(bar.FillWidth(), 100);
        const QImage image = bar.grab().toImage();
        const QColor background = bar.palette().color(QPalette::Window);
        // Row 17 is below the text: exactly the filled part in the colour.
        QCOMPARE(CountColour(image, 17, QColor(0, 128, 0)), 100);
        QCOMPARE(image.pixelColor(1, 10), QColor(0, 128, 0));
        QCOMPARE(image.pixelColor(200, 10), background);
        QCOMPARE(image.pixelColor(50, 19), background); // below the bar
        // The text crosses the edge of the fill: window colour on the bar, the mode's
        // colour beside it.
        int onFill = 0;
        int beside = 0;
        for (int y = 4; y < 17; ++y) {
            for (int x = 2; x < 200; ++x) {
                const QColor c = image.pixelColor(x, y);
                onFill += x <= 100 && c != QColor(0, 128, 0) ? 1 : 0;
                beside += x > 100 && c != background ? 1 : 0;
            }
        }
        QVERIFY(onFill > 0);
        QVERIFY(beside > 0);

        bar.SetColour(JobColour(jmEncrypt));
        bar.SetProgress(0, 100000, 0);
        QCOMPARE(bar.FillWidth(), 0);
        bar.SetColour(JobColour(jmWipe));
        QCOMPARE(bar.Colour(), QColor(128, 128, 0));
        bar.SetProgress(200, 100, 100);
        QCOMPARE(bar.FillWidth(), 200);
    }

    void logViewScrollsAndDrawsItsRows() {
        SettingsRecord settings{};
        DefaultSettings(settings, 1024, 768);
        settings.FontSize = 10;
        TerminalOutput output;
        output.resize(400, 85); // four rows of 20 pixels
        output.show();
        QVERIFY(QTest::qWaitForWindowExposed(&output));
        output.Start(settings);
        QCOMPARE(output.LineHeight(), 20);
        QCOMPARE(output.LogRows(), 4);
        QCOMPARE(output.font().pointSize(), 10);
        QCOMPARE(output.font().family(), QString::fromStdString(settings.GetFontName()));

        RunState state;
        WidgetView view(output);
        MessageLog log(state, view);
        log.LogStart();
        log.LogLine("Searching for single selected files...");
        log.LogAppend("  encrypting a (3 bytes), ");
        QVERIFY(!output.Scroller()->isVisible());
        const QColor background = output.palette().color(QPalette::Base);
        QImage image = output.grab().toImage();
        QVERIFY(RowHasInk(image, 0, 20, background));
        QVERIFY(RowHasInk(image, 20, 20, background)); // the partial line is shown
        QVERIFY(!RowHasInk(image, 40, 40, background)); // cleared rows below it

        for (int i = 0; i < 6; ++i) {
            log.LogLine(" done.");
        }
        // Repaints are coalesced; the last change is shown within one interval.
        QTRY_VERIFY(output.Scroller()->isVisible());
        QTRY_COMPARE(output.Scroller()->maximum(), log.ScrollMaximum());
        QCOMPARE(output.Scroller()->value(), log.ScrollPosition());
        QCOMPARE(output.Scroller()->pageStep(), 4);
        QCOMPARE(output.Scroller()->x(), output.width() - output.Scroller()->width());

        // The user scrolls up; the next line brings the current line back to the bottom.
        output.Scroller()->setValue(0);
        QCOMPARE(log.ScrollPosition(), 0);
        log.LogLine("last");
        QTRY_COMPARE(output.Scroller()->value(), log.CurrentLine() - 3);

        // A paint request while a line changes draws nothing from the store.
        state.LogBusy = true;
        image = output.grab().toImage();
        QVERIFY(!RowHasInk(image, 0, 80, background));
        state.LogBusy = false;
        log.LogEnd();
        output.Stop();
        QVERIFY(!output.Scroller()->isVisible());
    }
};

QTEST_MAIN(RunDisplayTest)
#include "test_run_display.moc"
