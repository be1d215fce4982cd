#pragma once
// What a one-file operation needs from the window that runs it: progress with a
// stop answer, a modal question, and a chance for pending window messages to run.
// The job driver's host (batch/) extends this; tests script it.
#include <cstdint>
#include <string>

namespace vlt {

enum ProgressKind : std::uint16_t { pkEncrypt = 0, pkDecrypt = 1, pkWipe = 2 };

enum class MsgIcon { Error, Exclamation, Question, Information };
enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Yes, No, Cancel };

class FileOperationHost {
public:
    virtual ~FileOperationHost() = default;

    // Bytes just processed; true when the user asked to stop the run.
    [[nodiscard]] virtual bool JobProgress(ProgressKind kind, std::int32_t amount) = 0;

    // A modal message box; returns the button pressed.
    [[nodiscard]] virtual MsgAnswer MessageBox(const std::string& caption, const std::string& text, MsgIcon icon,
                                               MsgButtons buttons) = 0;

    // Lets pending window messages run (the stop button may be pressed meanwhile).
    virtual void ProcessMessages() = 0;
};

} // namespace vlt
