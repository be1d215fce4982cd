#pragma once
// Answers the windows' message boxes from a script and records what they showed. A box
// that the script did not expect fails the test with its caption and text, so a test
// never hangs on a modal box.
#include <QTest>

#include <deque>
#include <string>
#include <vector>

#include "ui/message_box_service.h"

namespace vlt::testing {

class ScriptedMessageBoxes final : public MessageBoxHost {
public:
    ScriptedMessageBoxes() { ui::SetMessageBoxes(this); }
    ~ScriptedMessageBoxes() override { ui::SetMessageBoxes(nullptr); }
    ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
    ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

    struct Shown {
        std::string caption, text;
        MsgIcon icon;
        MsgButtons buttons;
    };

    // The answer to the next box that asks a question; boxes with only OK need none.
    void Answer(MsgAnswer answer) { answers_.push_back(answer); }

    [[nodiscard]] MsgAnswer MessageBox(const std::string& caption, const std::string& text, MsgIcon icon,
                                       MsgButtons buttons) override {
        shown.push_back({caption, text, icon, buttons});
        if (buttons == MsgButtons::Ok) {
            return MsgAnswer::Ok;
        }
        if (answers_.empty()) {
            const std::string failure = "unexpected question \"" + caption + "\": " + text;
            QTest::qFail(failure.c_str(), __FILE__, __LINE__);
            return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Cancel;
        }
        const MsgAnswer answer = answers_.front();
        answers_.pop_front();
        return answer;
    }

    std::vector<Shown> shown;

private:
    std::deque<MsgAnswer> answers_;
};

} // namespace vlt::testing
