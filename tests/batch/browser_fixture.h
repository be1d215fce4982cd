#pragma once
// A browser over a private directory, with default settings, a scripted host, and
// the process's current directory put back afterwards (the listing changes it).
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "batch/browser.h"
#include "common/temp_dir.h"
#include "scripted_browser_host.h"
#include "settings/settings_file.h"

namespace vlt::testing {

class BrowserFixture : public ::testing::Test {
protected:
    BrowserFixture() : savedDirectory_(std::filesystem::current_path()) {
        DefaultSettings(settings, 1024, 768);
        settings.ExcludeMask = 0;
        settings.FileViewSetting = 0;
    }
    ~BrowserFixture() override { std::filesystem::current_path(savedDirectory_); }

    // Captions of the items that are no drives, in browser order.
    std::vector<std::string> EntryCaptions() const {
        std::vector<std::string> captions;
        for (std::size_t i = 0; i < browser.Model().Count(); ++i) {
            if (!IsDriveKind(browser.Model().Item(i).kind)) {
                captions.push_back(browser.Model().Item(i).caption);
            }
        }
        return captions;
    }

    // The index of the item named `name`; Count() when there is none.
    std::size_t IndexOf(const std::string& name) const {
        for (std::size_t i = 0; i < browser.Model().Count(); ++i) {
            if (browser.Model().Item(i).name == name) {
                return i;
            }
        }
        return browser.Model().Count();
    }

    TempDir temp;
    SettingsRecord settings{};
    RunState state;
    ScriptedBrowserHost host;
    Browser browser{host, settings, state};

private:
    std::filesystem::path savedDirectory_;
};

} // namespace vlt::testing
