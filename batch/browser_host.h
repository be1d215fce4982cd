#pragma once
// What the browser listing draws and asks of the window that shows it. The Qt main
// window, scripted tests and benchmarks implement it. Every member is called on the
// user-interface thread, except ScanUpdatesPending.
#include <array>
#include <cstdint>
#include <string>

namespace vlt {

// The browser font of the settings.
struct ListFont {
    std::string name;
    int size = 0;           // points
    std::uint8_t style = 0; // bit 0 bold, 1 italic, 2 underline, 3 strike-out
    std::uint32_t color = 0; // 0x80000000 + n: system colour n; else 0x00BBGGRR
};

using ColumnWidths = std::array<std::uint16_t, 6>;

class BrowserHost {
public:
    virtual ~BrowserHost() = default;

    // Lets pending window messages run.
    virtual void ProcessMessages() = 0;

    // A listing begins: IdleInfo takes `font` and `text` and is centred in the client
    // area (left and top 0 when it is larger); the three action buttons are disabled;
    // busy cursor; the list view hidden.
    virtual void BeginListing(const ListFont& font, const std::string& text) = 0;
    // IdleInfo shows `text` and is repainted at once.
    virtual void ShowIdleInfo(const std::string& text) = 0;
    // The list view's font; a font the window cannot apply is ignored.
    virtual void SetListFont(const ListFont& font) = 0;
    // Whether the list view is in its detailed (report) style, and its column widths.
    [[nodiscard]] virtual bool IsReportStyle() const = 0;
    [[nodiscard]] virtual ColumnWidths ShownColumnWidths() const = 0;
    // Details on: report style with `widths`. Off: list style (names only).
    virtual void SetViewStyle(bool details, const ColumnWidths& widths) = 0;
    // The listing is done: list view shown with the input focus, normal cursor.
    virtual void EndListing() = 0;
    // The two status bar panels (150 pixels and the rest).
    virtual void SetStatusPanels(const std::string& first, const std::string& second) = 0;

    // Called on the scanner thread, and must be safe there: results are waiting;
    // the window has the user-interface thread call Browser::DrainScanUpdates soon
    // (in Qt a queued call). Called once per batch of results, not per file.
    virtual void ScanUpdatesPending() = 0;
};

} // namespace vlt
