// The window while it runs a batch on one large file: the gaps between two message
// pumps (every processEvents the run makes wakes the event dispatcher) while it
// encrypts, decrypts and wipes (one cycle of three passes), beside the same run through
// the job driver with a host that neither pumps nor draws; and the same for a directory
// of 2,000 files of 16 KB, where the window writes a log line per file. Goals: the
// worst gap is at most 50 ms, and the window's run takes at most 1.05 times the plain
// one. The large file has VLT_BENCH_MB megabytes (default 64), all on tmpfs; offscreen
// unless QT_QPA_PLATFORM says otherwise.
#include <benchmark/benchmark.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "batch/job_driver.h"
#include "bench_goals.h"
#include "settings/settings_file.h"
#include "ui/done_dialog.h"
#include "ui/main_form.h"
#include "ui/message_box_service.h"
#include "ui/password_dialog.h"
#include "ui/qt_job_host.h"

namespace {

constexpr double kGoalMs = 50;
constexpr const char* kPassphrase = "bench passphrase";
constexpr int kSmallFiles = 2000;
constexpr std::size_t kSmallBytes = 16 * 1024;

// What one measured run works on: the large file, or the directory of small files.
enum class Load { LargeFile, SmallFiles };

std::size_t FileBytes() {
    const char* mb = std::getenv("VLT_BENCH_MB");
    const long value = mb != nullptr ? std::strtol(mb, nullptr, 10) : 64;
    return static_cast<std::size_t>(std::max(1L, value)) << 20;
}

// A directory on tmpfs with the one file and the configuration the window reads.
struct RunFixture {
    std::string directory;
    std::string file;
    std::string smallDirectory;
    std::string config;
    vlt::SettingsRecord settings{};

    RunFixture() {
        const std::filesystem::path base = std::filesystem::exists("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                                                : std::filesystem::temp_directory_path();
        std::string made = (base / "vlt_bench_runsXXXXXX").string();
        if (::mkdtemp(made.data()) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        directory = made + "/files";
        std::filesystem::create_directory(directory);
        file = directory + "/large.bin";
        smallDirectory = directory + "/small";
        config = made + "/vlt95.cfg";
        vlt::DefaultSettings(settings, 800, 600);
        settings.SaveSensSwitch = 1;
        settings.ConfirmSwitch = 0;
        settings.WipeConfSwitch = 0;
        settings.ExtDestDialogSwitch = 0;
        settings.NumOfDODBox = 1;
        settings.SecColSwitch = 0;
        if (!settings.SetCurrentPath(directory + "/*.*") || !vlt::SaveSettings(config, settings)) {
            std::fprintf(stderr, "cannot write %s\n", config.c_str());
            std::exit(1);
        }
    }
    ~RunFixture() { std::filesystem::remove_all(std::filesystem::path(directory).parent_path()); }

    static void WritePattern(const std::string& path, std::size_t size, std::uint32_t seed) {
        std::vector<char> bytes(size);
        std::uint32_t x = seed;
        for (char& b : bytes) {
            x = x * 1103515245u + 12345u;
            b = static_cast<char>(x >> 24);
        }
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    void WritePlainFiles(Load load) const {
        std::filesystem::remove_all(smallDirectory);
        std::filesystem::remove(file);
        if (load == Load::LargeFile) {
            WritePattern(file, FileBytes(), 12345);
            return;
        }
        std::filesystem::create_directory(smallDirectory);
        for (int i = 0; i < kSmallFiles; ++i) {
            WritePattern(smallDirectory + "/f" + std::to_string(i) + ".dat", kSmallBytes, static_cast<std::uint32_t>(i));
        }
    }
    [[nodiscard]] static std::size_t Bytes(Load load) {
        return load == Load::LargeFile ? FileBytes() : kSmallFiles * kSmallBytes;
    }
    [[nodiscard]] std::string SelectedName(Load load) const { return load == Load::LargeFile ? "large.bin" : "small"; }
};

RunFixture& Fixture() {
    static RunFixture fixture;
    return fixture;
}

// Every question answered Yes, every message only counted.
class YesMessageBoxes final : public vlt::MessageBoxHost {
public:
    vlt::MsgAnswer MessageBox(const std::string& caption, const std::string& text, vlt::MsgIcon,
                              vlt::MsgButtons) override {
        std::fprintf(stderr, "message box %s: %s\n", caption.c_str(), text.c_str());
        return vlt::MsgAnswer::Yes;
    }
};

// The job driver with nothing to show: no pumps, no drawing, the passphrase given.
class PlainHost final : public vlt::JobHost {
public:
    vlt::MsgAnswer MessageBox(const std::string&, const std::string&, vlt::MsgIcon, vlt::MsgButtons) override {
        return vlt::MsgAnswer::Yes;
    }
    bool JobProgress(vlt::ProgressKind, std::int32_t) override { return false; }
    void ProcessMessages() override {}
    std::int32_t LogRows() const override { return 0; }
    void LogShow(bool) override {}
    void LogPaint(vlt::MessageLog&) override {}
    void ShowPassphraseDialog(bool) override {}
    bool GetPassphrases(vlt::SecureBuffer& first, vlt::SecureBuffer& second) override {
        first = vlt::SecureBuffer(std::strlen(kPassphrase));
        std::memcpy(first.Data(), kPassphrase, first.Size());
        second = vlt::SecureBuffer();
        return true;
    }
    std::string AskDestination(const std::string&, const std::string&) override { return ""; }
    explicit PlainHost(Load load) : load_(load) {}
    vlt::JobSelection Selection() override {
        vlt::JobSelection selection;
        if (load_ == Load::LargeFile) {
            selection.files.push_back(Fixture().file);
        } else {
            selection.directories.push_back(Fixture().smallDirectory);
        }
        return selection;
    }
    void EnterJobView(vlt::JobMode) override {}
    void DrawProgress(std::int64_t, std::int64_t, int) override {}
    void SetTitle(const std::string&) override {}
    void LeaveJobView(vlt::JobMode) override {}
    void ShowDoneDialog(const vlt::DoneSummary&, vlt::MessageLog&) override {}
    void ReturnToIdle(bool) override {}

private:
    Load load_;
};

void PlainRun(vlt::JobMode mode, Load load) {
    PlainHost host(load);
    vlt::SettingsRecord settings = Fixture().settings;
    vlt::RunState state;
    (void)vlt::RunJob(mode, host, settings, state);
}

// The file in the state the mode expects, made outside the measured stretch.
void Prepare(vlt::JobMode mode, Load load) {
    Fixture().WritePlainFiles(load);
    if (mode == vlt::jmDecrypt) {
        PlainRun(vlt::jmEncrypt, load);
    }
}

struct Gaps {
    double worstMs = 0;
    double p99Ms = 0;
};

Gaps Summarise(std::vector<qint64>& pumps) {
    std::vector<double> gaps;
    for (std::size_t i = 1; i < pumps.size(); ++i) {
        gaps.push_back((pumps[i] - pumps[i - 1]) / 1e6);
    }
    if (gaps.empty()) {
        return {};
    }
    std::sort(gaps.begin(), gaps.end());
    return {gaps.back(), gaps[std::min(gaps.size() - 1, gaps.size() * 99 / 100)]};
}

// One run from the window: the file selected, the batch button pressed, the passphrase
// typed, the done dialog closed. The pumps are timed from the passphrase's OK to the
// done dialog.
double WindowRun(vlt::ui::TMainForm& form, vlt::JobMode mode, Load load, Gaps& gaps) {
    vlt::BrowserModel& model = form.BrowserItems().Model();
    model.ClearSelection();
    for (std::size_t i = 0; i < model.Count(); ++i) {
        model.SetSelected(i, model.Item(i).name == Fixture().SelectedName(load));
    }
    vlt::ui::QtJobHost& host = form.JobHostOf();
    std::vector<qint64> pumps;
    pumps.reserve(1 << 20);
    QElapsedTimer clock;
    bool measuring = false;
    double seconds = 0;
    const QMetaObject::Connection awake =
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, [&] {
            if (measuring) {
                pumps.push_back(clock.nsecsElapsed());
            }
        });
    QTimer user;
    user.setInterval(1);
    QObject::connect(&user, &QTimer::timeout, [&] {
        vlt::ui::TPasswordDialog& dialog = host.PasswordDialog();
        if (dialog.isVisible()) {
            for (QLineEdit* field : dialog.findChildren<QLineEdit*>()) {
                field->setText(kPassphrase);
            }
            clock.start();
            measuring = true;
            dialog.findChild<QPushButton*>("OKButton")->click();
        } else if (host.DoneDialog().isVisible()) {
            measuring = false;
            seconds = clock.nsecsElapsed() / 1e9;
            host.DoneDialog().findChild<QPushButton*>("OKButton")->click();
        }
    });
    user.start();
    if (mode == vlt::jmWipe) { // no passphrase: the run starts at once
        clock.start();
        measuring = true;
    }
    switch (mode) {
    case vlt::jmEncrypt:
        form.EncryptClick();
        break;
    case vlt::jmDecrypt:
    case vlt::jmVerify: // the window has no check of its own
        form.DecryptClick();
        break;
    case vlt::jmWipe:
        form.WipeClick();
        break;
    }
    QObject::disconnect(awake);
    gaps = Summarise(pumps);
    return seconds;
}

vlt::ui::TMainForm& Window() {
    static YesMessageBoxes boxes;
    static vlt::ui::TMainForm* form = [] {
        vlt::ui::SetMessageBoxes(&boxes);
        auto* made = new vlt::ui::TMainForm(Fixture().config);
        made->show();
        while (made->State().FirstPaintPending) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return made;
    }();
    return *form;
}

void BM_Window(benchmark::State& state, vlt::JobMode mode, Load load) {
    vlt::ui::TMainForm& form = Window();
    Gaps worst;
    for (auto _ : state) {
        state.PauseTiming();
        Prepare(mode, load);
        (void)form.ListPath(Fixture().directory + "/*.*");
        state.ResumeTiming();
        Gaps gaps;
        state.SetIterationTime(WindowRun(form, mode, load, gaps));
        worst.worstMs = std::max(worst.worstMs, gaps.worstMs);
        worst.p99Ms = std::max(worst.p99Ms, gaps.p99Ms);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * RunFixture::Bytes(load)));
    state.counters["worst_gap_ms"] = worst.worstMs;
    state.counters["p99_gap_ms"] = worst.p99Ms;
    std::printf("%s: worst gap between pumps %.1f ms, 99th percentile %.2f ms (goal: at most %.0f ms) %s\n",
                vlt::JobGerund(mode).c_str(), worst.worstMs, worst.p99Ms, kGoalMs,
                worst.worstMs <= kGoalMs ? "met" : "NOT MET");
}

void BM_Plain(benchmark::State& state, vlt::JobMode mode, Load load) {
    for (auto _ : state) {
        state.PauseTiming();
        Prepare(mode, load);
        state.ResumeTiming();
        QElapsedTimer clock;
        clock.start();
        PlainRun(mode, load);
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * RunFixture::Bytes(load)));
}

#define VLT_RUN_PAIR(name, mode, load)                                                                                 \
    BENCHMARK_CAPTURE(BM_Window, name, mode, load)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);   \
    BENCHMARK_CAPTURE(BM_Plain, name, mode, load)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond)
VLT_RUN_PAIR(Encrypt, vlt::jmEncrypt, Load::LargeFile);
VLT_RUN_PAIR(Decrypt, vlt::jmDecrypt, Load::LargeFile);
VLT_RUN_PAIR(Wipe, vlt::jmWipe, Load::LargeFile);
VLT_RUN_PAIR(EncryptSmallFiles, vlt::jmEncrypt, Load::SmallFiles);

// The window's run may take 1.05 times the plain one: a rate ratio of 1 / 1.05.
constexpr std::array<bench::Goal, 4> kGoals{{
    {"BM_Window/Encrypt", "BM_Plain/Encrypt", 1 / 1.05},
    {"BM_Window/Decrypt", "BM_Plain/Decrypt", 1 / 1.05},
    {"BM_Window/Wipe", "BM_Plain/Wipe", 1 / 1.05},
    {"BM_Window/EncryptSmallFiles", "BM_Plain/EncryptSmallFiles", 1 / 1.05},
}};

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    // The offscreen platform's remarks about dialog sizes would bury the results.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    bench::GoalReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintGoals(kGoals);
    Window().close();
    benchmark::Shutdown();
    return 0;
}
