#pragma once

#include "tarnex/libs/tarnex_host.h"

namespace tarnex::kit {

// The failures a cipher library reports to the user, each in English and German.
enum class Failure {
    BufferTarnexCh,
    BufferTarnexKf,
    Buffer1Tarnex,
    Buffer2Tarnex,
    KeyFileTooShort,
    CannotOpenFile,
    CannotOpenKeyFile,
    KeyFileIsTheFile,
    NotEncryptedWithMethod,
    WrongKey,
    Damaged,
    CannotWrite,
    InvalidCall,
};

// Remembers the program's host; without one, failures go to standard error.
void AttachHost(const TarnexHost* host);

// Shows one failure under the caption "Errormessage" / "Fehlermeldung" in the host's language.
void Report(Failure failure);

} // namespace tarnex::kit
