#pragma once
// Answers the windows' input boxes from a script and records what they asked. A box
// the script did not expect fails the test, so a test never hangs on a modal box.
#include <QTest>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ui/input_box_service.h"

namespace vlt::testing {

class ScriptedInputBoxes final : public ui::InputBoxService {
public:
    ScriptedInputBoxes() { ui::SetInputBoxes(this); }
    ~ScriptedInputBoxes() override { ui::SetInputBoxes(nullptr); }
    ScriptedInputBoxes(const ScriptedInputBoxes&) = delete;
    ScriptedInputBoxes& operator=(const ScriptedInputBoxes&) = delete;

    struct Asked {
        std::string caption, prompt, initial;
    };

    // The next box is answered with OK and `text`.
    void Type(const std::string& text) { answers_.emplace_back(text); }
    // The next box is cancelled.
    void Cancel() { answers_.emplace_back(std::nullopt); }

    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override {
        asked.push_back({caption, prompt, value});
        if (answers_.empty()) {
            const std::string failure = "unexpected input box \"" + caption + "\": " + prompt;
            QTest::qFail(failure.c_str(), __FILE__, __LINE__);
            return false;
        }
        const std::optional<std::string> answer = answers_.front();
        answers_.pop_front();
        if (!answer) {
            return false;
        }
        value = *answer;
        return true;
    }

    std::vector<Asked> asked;

private:
    std::deque<std::optional<std::string>> answers_;
};

} // namespace vlt::testing
