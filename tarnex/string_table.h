#pragma once

#include <QString>

namespace tarnex {

// German identifiers of the string table; the English entry of each is 15 higher.
enum StringId : int {
    sNoFileName = 200,
    sNoKey = 201,
    sKeyTooLong = 202,
    sError = 203,
    sCompleted = 204,
    sMessage = 205,
    sFileFilter = 206,
    sOpenFileError = 207,
    sWarning = 208,
    sBufferTarnexCh = 209,
    sErrorMessage = 210,
    sBufferTarnexKf = 211,
    sKeyFileTooShort = 212,
    sBuffer1Tarnex = 213,
    sBuffer2Tarnex = 214,
};

constexpr int kEnglishOffset = 15;

// The entry with this identifier (200 to 229), empty for any other.
[[nodiscard]] QString TableString(int id);

// The entry in the language of the flag: 1 = English (id + 15), anything else German.
[[nodiscard]] QString LoadTableString(StringId germanId, unsigned char languageFlag);

} // namespace tarnex
