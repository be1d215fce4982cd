#pragma once
// Records what the window hands to the desktop instead of opening it.
#include <string>
#include <vector>

#include "ui/desktop_service.h"

namespace vlt::testing {

class ScriptedDesktop final : public ui::DesktopService {
public:
    ScriptedDesktop() { ui::SetDesktop(this); }
    ~ScriptedDesktop() override { ui::SetDesktop(nullptr); }
    ScriptedDesktop(const ScriptedDesktop&) = delete;
    ScriptedDesktop& operator=(const ScriptedDesktop&) = delete;

    void OpenFile(const std::string& path) override { opened.push_back(path); }

    std::vector<std::string> opened;
};

} // namespace vlt::testing
