#pragma once

// Doubles for the services of the tarnex95 dialog: they record what the dialog asked for and answer
// from a script.

#include "tarnex/cipher_libraries.h"
#include "tarnex/desktop_services.h"
#include "tarnex/message_box_service.h"

#include <QList>
#include <QStringList>

namespace tarnex::testing {

class ScriptedMessageBoxes final : public MessageBoxService {
public:
    [[nodiscard]] MessageAnswer Ask(QWidget*, const MessageRequest& request) override {
        shown.append(request);
        return answers.isEmpty() ? MessageAnswer::Ok : answers.takeFirst();
    }
    [[nodiscard]] QStringList Texts() const {
        QStringList texts;
        for (const MessageRequest& request : shown) {
            texts.append(request.caption + QStringLiteral(" / ") + request.text);
        }
        return texts;
    }

    QList<MessageRequest> shown;
    QList<MessageAnswer> answers;
};

// Records each library call as "Method(source, key, flag)"; answers with `succeed`.
class RecordingCiphers final : public CipherLibraries {
public:
    [[nodiscard]] bool Tarnex(const QString& source, const QString& key, char flag) override {
        return Record(QStringLiteral("Tarnex(%1,%2,%3)").arg(source, key).arg(int(flag)));
    }
    [[nodiscard]] bool KeyFile(const QString& source, const QString& keyFile) override {
        return Record(QStringLiteral("KeyFile(%1,%2)").arg(source, keyFile));
    }
    [[nodiscard]] bool Chaos(const QString& source, const QString& key, char flag) override {
        return Record(QStringLiteral("Chaos(%1,%2,%3)").arg(source, key).arg(int(flag)));
    }
    [[nodiscard]] bool Chaos2(const QString& source, const QString& key, char flag) override {
        return Record(QStringLiteral("Chaos2(%1,%2,%3)").arg(source, key).arg(int(flag)));
    }
    void SetLanguage(unsigned char languageFlag) override { language = languageFlag; }

    QStringList calls;
    bool succeed = true;
    unsigned char language = 1;

private:
    bool Record(const QString& call) {
        calls.append(call);
        return succeed;
    }
};

class ScriptedFileChooser final : public OpenFileChooser {
public:
    [[nodiscard]] OpenFileResult ChooseFile(QWidget*, const QString& filter) override {
        filters.append(filter);
        return result;
    }

    OpenFileResult result;
    QStringList filters;
};

class RecordingProgramStarter final : public ProgramStarter {
public:
    [[nodiscard]] bool StartTextEditor(const QString& fileName) override {
        started.append(QStringLiteral("editor ") + fileName);
        return succeed;
    }
    [[nodiscard]] bool StartCommandPrompt() override {
        started.append(QStringLiteral("prompt"));
        return succeed;
    }

    QStringList started;
    bool succeed = true;
};

} // namespace tarnex::testing
