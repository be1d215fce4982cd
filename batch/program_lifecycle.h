#pragma once
// How both programs come up and how the workbench goes down: the module
// initialisations, the settings hand-off, the window placement, the first listing
// and the close duties. The window supplies what only it knows (screen size, its
// geometry and state); the rules live here.
#include <cstdint>
#include <string>

#include "batch/browser.h"
#include "batch/browser_host.h"
#include "batch/run_state.h"
#include "container/message_box_host.h"
#include "settings/settings_record.h"

namespace vlt {

// Before anything else in either program: the CRC tables, then the random generator
// seeded from the clock. Cipher tables are constants of the engines.
void InitialiseModules();

struct ScreenSize {
    int width = 0;
    int height = 0;
};

enum WindowShowState : std::uint8_t { wsNormal = 0, wsMinimised = 1, wsMaximised = 2 };

struct WindowPlacement {
    int left = 0;
    int top = 0;
    int width = kDefaultWindowWidth;
    int height = kDefaultWindowHeight;
    std::uint8_t state = wsNormal;
};

// The stored placement when it can be applied on `screen` (a known state, a size of
// at least 1 × 1, the window's top left part on the screen); otherwise the normal
// state, 620 × 460, centred ((screen − size) / 2, 0 on a smaller screen).
[[nodiscard]] WindowPlacement RestoredPlacement(const SettingsRecord& settings, ScreenSize screen);

// The configuration file both programs read (beside the program, else the user's
// configuration directory).
[[nodiscard]] std::string SettingsFilePath();
// LoadSettings, the defaults when that fails (missing, short, damaged or foreign file).
// True when the file was read.
bool LoadProgramSettings(SettingsRecord& settings, const std::string& path, ScreenSize screen);

// The first paint: KeepColumnWidths set, CurrentPath listed. When its directory cannot
// be entered: "Can't change to " + path + " !" (caption "VLT95 start error",
// exclamation icon), CurrentPath becomes the home directory + "/*.*",
// KeepColumnWidths is set again and that is listed. Clears FirstPaintPending.
void FirstListing(Browser& browser, SettingsRecord& settings, RunState& state, MessageBoxHost& messages);

// Closing is refused while a run's message log is shown (TerminalActive).
[[nodiscard]] bool CloseAllowed(const RunState& state);

// What the closing window reports about itself.
struct ClosingWindow {
    std::uint8_t state = wsNormal;
    WindowPlacement normalGeometry; // left, top, width, height in the normal state
    ColumnWidths columnWidths{};
};

// The close duties in order: the scanner stopped and waited for; WindowState, and the
// placement only in the normal state (a maximised window keeps its last normal one);
// ColumnWidths only with details on; SaveSettings to `path`. True when saved.
bool CloseDuties(Browser& browser, SettingsRecord& settings, const ClosingWindow& window, const std::string& path);

} // namespace vlt
