#include "batch/program_lifecycle.h"

#include <algorithm>

#include "batch/browser_texts.h"
#include "platform/config_location.h"
#include "settings/settings_file.h"
#include "support/crc.h"
#include "support/random.h"

namespace vlt {

namespace {

int CentredOrigin(int screen, int size) {
    return std::max(0, (screen - size) / 2);
}

std::uint16_t StoredCoordinate(int value) {
    return static_cast<std::uint16_t>(std::clamp(value, 0, 0xFFFF));
}

} // namespace

void InitialiseModules() {
    InitCrcTables();
    // Without this every run would start from the same generator state, and two
    // encryptions of one file would share their chaining values.
    RandomizeFromClock();
}

WindowPlacement RestoredPlacement(const SettingsRecord& settings, ScreenSize screen) {
    WindowPlacement stored{settings.WindowLeft, settings.WindowTop, settings.WindowWidth, settings.WindowHeight,
                           settings.WindowState};
    const bool usable = stored.state <= wsMaximised && stored.width >= 1 && stored.height >= 1 &&
                        stored.left < screen.width && stored.top < screen.height;
    if (usable) {
        return stored;
    }
    WindowPlacement centred;
    centred.left = CentredOrigin(screen.width, centred.width);
    centred.top = CentredOrigin(screen.height, centred.height);
    return centred;
}

std::string SettingsFilePath() {
    return ConfigFilePath();
}

bool LoadProgramSettings(SettingsRecord& settings, const std::string& path, ScreenSize screen) {
    // A failed load has already put the defaults in place.
    return LoadSettings(path, settings, screen.width, screen.height);
}

void FirstListing(Browser& browser, SettingsRecord& settings, RunState& state, MessageBoxHost& messages) {
    state.FirstPaintPending = false;
    state.KeepColumnWidths = true;
    const std::string stored = settings.GetCurrentPath();
    if (browser.ListDirectory(stored)) {
        return;
    }
    messages.ShowMessage("VLT95 start error", "Can't change to " + DisplayName(stored) + " !", MsgIcon::Exclamation);
    const std::string fallback = DefaultCurrentPath();
    static_cast<void>(settings.SetCurrentPath(fallback)); // DefaultCurrentPath always fits
    state.KeepColumnWidths = true;
    static_cast<void>(browser.ListDirectory(fallback));
}

bool CloseAllowed(const RunState& state) {
    return !state.TerminalActive;
}

bool CloseDuties(Browser& browser, SettingsRecord& settings, const ClosingWindow& window, const std::string& path) {
    browser.StopScanner();
    settings.WindowState = window.state;
    if (window.state == wsNormal) {
        settings.WindowLeft = StoredCoordinate(window.normalGeometry.left);
        settings.WindowTop = StoredCoordinate(window.normalGeometry.top);
        settings.WindowWidth = StoredCoordinate(window.normalGeometry.width);
        settings.WindowHeight = StoredCoordinate(window.normalGeometry.height);
    }
    if (settings.ShowDetailsSwitch) {
        StoreColumnWidths(settings, window.columnWidths);
    }
    return SaveSettings(path, settings);
}

} // namespace vlt
