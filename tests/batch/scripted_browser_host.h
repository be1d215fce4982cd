#pragma once
// A browser host that records what the listing drew and lets a test act while the
// browser pumps messages.
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "batch/browser_host.h"

namespace vlt::testing {

class ScriptedBrowserHost : public BrowserHost {
public:
    std::vector<std::string> idleTexts; // the first of each listing, then every repaint
    ListFont listFont;
    bool reportStyle = true;
    ColumnWidths shownWidths{111, 112, 113, 114, 115, 116};
    bool detailsShown = false;
    ColumnWidths appliedWidths{};
    std::string panel1;
    std::string panel2;
    int listingsBegun = 0;
    int listingsEnded = 0;
    std::atomic<int> scanSignals{0};
    std::function<void()> onProcessMessages;

    void ProcessMessages() override {
        if (onProcessMessages) {
            onProcessMessages();
        }
    }
    void BeginListing(const ListFont& font, const std::string& text) override {
        ++listingsBegun;
        listFont = font;
        idleTexts.assign(1, text);
    }
    void ShowIdleInfo(const std::string& text) override { idleTexts.push_back(text); }
    void SetListFont(const ListFont& font) override { listFont = font; }
    bool IsReportStyle() const override { return reportStyle; }
    ColumnWidths ShownColumnWidths() const override { return shownWidths; }
    void SetViewStyle(bool details, const ColumnWidths& widths) override {
        detailsShown = details;
        appliedWidths = widths;
        reportStyle = details;
    }
    void EndListing() override { ++listingsEnded; }
    void SetStatusPanels(const std::string& first, const std::string& second) override {
        panel1 = first;
        panel2 = second;
    }
    void ScanUpdatesPending() override { ++scanSignals; }
};

} // namespace vlt::testing
