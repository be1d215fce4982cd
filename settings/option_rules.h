#pragma once
// The rules the options dialog keeps while the user edits a working copy of the
// settings, without any widget: the two algorithm lists (the second never equals the
// first, VLT7 compatibility offers only the first five), the overwrite count, and what
// the main window must redraw after OK. vlt95-cli checks its overrides with the same rules.
#include <cstdint>
#include <string>
#include <vector>

#include "cipher/algorithm_table.h"
#include "settings/settings_record.h"

namespace vlt {

// The older container generation knows only Blowfish .. Cobra.
inline constexpr AlgorithmId kVlt7AlgorithmCount = 5;
inline constexpr std::uint8_t kMinOverwrites = 1;
inline constexpr std::uint8_t kMaxOverwrites = 99;

// What the two drop-down lists show: the entries in table order and the selected position.
struct AlgorithmLists {
    std::vector<AlgorithmId> first;
    int firstPosition = 0;
    std::vector<AlgorithmId> second; // the first list without the first algorithm
    int secondPosition = 0;
};

// Algorithms the lists offer: 5 under VLT7 compatibility, else all 6.
[[nodiscard]] AlgorithmId OfferedAlgorithmCount(const SettingsRecord& record);
[[nodiscard]] AlgorithmLists AlgorithmListsOf(const SettingsRecord& record);

// The second list leaves out the first algorithm: position q stands for q + 1 below
// the first algorithm's number, for q + 2 from it on.
[[nodiscard]] AlgorithmId SecondAlgorithmAt(int position, AlgorithmId first);
[[nodiscard]] int SecondAlgorithmPosition(AlgorithmId second, AlgorithmId first);

// Ticking the VLT7 box: both algorithms within the first five and still different
// (a clash gives TDES as the first).
void VLT7CompatibleOn(SettingsRecord& record);
// Unticking it: the algorithms stay as they are.
void VLT7CompatibleOff(SettingsRecord& record);
// The user picked a position in the first list; a second algorithm equal to the new
// first moves to the one before it (Blowfish32 when the first is Blowfish).
void Algo1BoxChange(SettingsRecord& record, int position);
void Algo2BoxChange(SettingsRecord& record, int position);

// The overwrite count as typed: text that is not a whole number counts as 1, the
// number is clamped to 1..99.
[[nodiscard]] std::uint8_t ReadOverwriteCount(const std::string& text);
// The up and down buttons: the typed count read as above, then one step within 1..99.
[[nodiscard]] std::uint8_t OverwriteCountUp(const std::string& text);
[[nodiscard]] std::uint8_t OverwriteCountDown(const std::string& text);

// A dialog showing: the working copy becomes the live record with both redraw flags
// clear (in both), the mixed-encryption byte normalised, the VLT7 rule applied, and
// algorithm numbers a damaged file left out of range brought back into the lists.
void BeginOptionsEdit(SettingsRecord& live, SettingsRecord& copy);
// OK: the overwrite count read from its text, FontChanged and ViewChanged set from
// what differs between live record and copy, then the copy replaces the live record.
void AcceptOptions(SettingsRecord& live, SettingsRecord& copy, const std::string& overwriteCountText);

// Why these settings cannot run ("" when they can): a mixed pair of one algorithm
// twice, an invalid algorithm, or one the VLT7 generation does not know.
[[nodiscard]] std::string AlgorithmSettingsProblem(const SettingsRecord& record);

} // namespace vlt
