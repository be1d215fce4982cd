#include "tarnex/libs/kit/messages.h"

#include <cstdio>

namespace tarnex::kit {
namespace {

struct Text {
    const char* english;
    const char* german;
};

const TarnexHost* attachedHost = nullptr;

Text TextOf(Failure failure) {
    switch (failure) {
    case Failure::BufferTarnexCh:
        return {"LocalAlloc-Buffer-TarnexCh.dll", "LocalAlloc-Buffer-TarnexCh.dll"};
    case Failure::BufferTarnexKf:
        return {"LocalAlloc-Buffer-TarnexKf.dll", "LocalAlloc-Buffer-TarnexKf.dll"};
    case Failure::Buffer1Tarnex:
        return {"LocalAlloc-Buffer1-Tarnex.dll", "LocalAlloc-Buffer1-Tarnex.dll"};
    case Failure::Buffer2Tarnex:
        return {"LocalAlloc-Buffer2-Tarnex.dll", "LocalAlloc-Buffer2-Tarnex.dll"};
    case Failure::KeyFileTooShort:
        return {"Keyfilesize < filesize!", "Schlüsseldatei < zu verschl. Datei!"};
    case Failure::CannotOpenFile:
        return {"Cannot read file!", "Datei nicht lesbar!"};
    case Failure::CannotOpenKeyFile:
        return {"Cannot read keyfile!", "Schlüsseldatei nicht lesbar!"};
    case Failure::KeyFileIsTheFile:
        return {"Keyfile = file!", "Schlüsseldatei = zu verschl. Datei!"};
    case Failure::NotEncryptedWithMethod:
        return {"Not encrypted by this method!", "Nicht mit diesem Verfahren verschl.!"};
    case Failure::WrongKey:
        return {"Wrong key, file unchanged!", "Falscher Schlüssel, Datei unverändert!"};
    case Failure::Damaged:
        return {"File damaged, unchanged!", "Datei beschädigt, unverändert!"};
    case Failure::CannotWrite:
        return {"Cannot write, file unchanged!", "Schreibfehler, Datei unverändert!"};
    case Failure::InvalidCall:
        return {"Invalid call!", "Ungültiger Aufruf!"};
    }
    return {"", ""};
}

} // namespace

void AttachHost(const TarnexHost* host) {
    attachedHost = host;
}

void Report(Failure failure) {
    const Text text = TextOf(failure);
    const bool english = attachedHost == nullptr || attachedHost->english != 0;
    const char* caption = english ? "Errormessage" : "Fehlermeldung";
    const char* message = english ? text.english : text.german;
    if (attachedHost != nullptr && attachedHost->report != nullptr) {
        attachedHost->report(attachedHost->context, caption, message);
    } else {
        std::fprintf(stderr, "%s: %s\n", caption, message);
    }
}

} // namespace tarnex::kit
