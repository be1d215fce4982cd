#include "tarnex/string_table.h"

#include <array>

namespace tarnex {
namespace {

struct Entry {
    const char* german;
    const char* english;
};

// Indexed by German id - 200.
constexpr std::array<Entry, 15> kEntries = {{
    {"Keine Datei angegeben!", "No filename inserted!"},
    {"Kein Schlüssel angegeben!", "No key inserted!"},
    {"Schlüssel > 40 Zeichen!", "Key > 40 characters!"},
    {"Fehler", "Error"},
    {"Operation abgeschlossen!", "Operation completed!"},
    {"MELDUNG", "MESSAGE"},
    {"Alle Dateien (*.*)|*.*|", "All files (*.*)|*.*|"},
    {"GetOpenFileName Fehlermeldung #%lu", "GetOpenFileName Errormessage #%lu"},
    {"WARNUNG", "WARNING"},
    {"LocalAlloc-Buffer-TarnexCh.dll", "LocalAlloc-Buffer-TarnexCh.dll"},
    {"Fehlermeldung", "Errormessage"},
    {"LocalAlloc-Buffer-TarnexKf.dll", "LocalAlloc-Buffer-TarnexKf.dll"},
    {"Schlüsseldatei < zu verschl. Datei!", "Keyfilesize < filesize!"},
    {"LocalAlloc-Buffer1-Tarnex.dll", "LocalAlloc-Buffer1-Tarnex.dll"},
    {"LocalAlloc-Buffer2-Tarnex.dll", "LocalAlloc-Buffer2-Tarnex.dll"},
}};

constexpr int kFirstGermanId = sNoFileName;
constexpr int kFirstEnglishId = kFirstGermanId + kEnglishOffset;

} // namespace

QString TableString(int id) {
    if (id >= kFirstGermanId && id < kFirstEnglishId) {
        return QString::fromUtf8(kEntries[std::size_t(id - kFirstGermanId)].german);
    }
    if (id >= kFirstEnglishId && id < kFirstEnglishId + int(kEntries.size())) {
        return QString::fromUtf8(kEntries[std::size_t(id - kFirstEnglishId)].english);
    }
    return {};
}

QString LoadTableString(StringId germanId, unsigned char languageFlag) {
    return TableString(languageFlag == 1 ? germanId + kEnglishOffset : germanId);
}

} // namespace tarnex
