#include "settings/option_rules.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace vlt {

namespace {

constexpr AlgorithmId kTdes = 4;

bool Offered(AlgorithmId id, AlgorithmId count) {
    return id >= 1 && id <= count;
}

// The second algorithm that takes the place of one equal to the first.
AlgorithmId NeighbourOf(AlgorithmId first) {
    return first == 1 ? 2 : static_cast<AlgorithmId>(first - 1);
}

// A damaged or foreign file can hold numbers no list entry stands for.
void KeepAlgorithmsInLists(SettingsRecord& record) {
    const AlgorithmId count = kAlgorithmCount;
    if (!Offered(record.Algo1Box, count)) {
        record.Algo1Box = 1;
    }
    if (!Offered(record.Algo2Box, count) || record.Algo2Box == record.Algo1Box) {
        record.Algo2Box = NeighbourOf(record.Algo1Box);
    }
}

bool SameFont(const SettingsRecord& a, const SettingsRecord& b) {
    return a.GetFontName() == b.GetFontName() && a.FontSize == b.FontSize && a.FontStyle == b.FontStyle &&
           a.FontColor == b.FontColor;
}

bool SameView(const SettingsRecord& a, const SettingsRecord& b) {
    return a.VLT7CompSwitch == b.VLT7CompSwitch && a.ExcludeMask == b.ExcludeMask &&
           a.ShowDetailsSwitch == b.ShowDetailsSwitch && a.FileViewSetting == b.FileViewSetting;
}

} // namespace

AlgorithmId OfferedAlgorithmCount(const SettingsRecord& record) {
    return record.VLT7CompSwitch ? kVlt7AlgorithmCount : kAlgorithmCount;
}

AlgorithmLists AlgorithmListsOf(const SettingsRecord& record) {
    AlgorithmLists lists;
    for (AlgorithmId id = 1; id <= OfferedAlgorithmCount(record); ++id) {
        lists.first.push_back(id);
        if (id != record.Algo1Box) {
            lists.second.push_back(id);
        }
    }
    lists.firstPosition = record.Algo1Box - 1;
    lists.secondPosition = SecondAlgorithmPosition(record.Algo2Box, record.Algo1Box);
    return lists;
}

AlgorithmId SecondAlgorithmAt(int position, AlgorithmId first) {
    const int id = position + 1;
    return static_cast<AlgorithmId>(id < first ? id : id + 1);
}

int SecondAlgorithmPosition(AlgorithmId second, AlgorithmId first) {
    return second < first ? second - 1 : second - 2;
}

void VLT7CompatibleOn(SettingsRecord& record) {
    record.VLT7CompSwitch = 1;
    record.Algo1Box = std::min(record.Algo1Box, kVlt7AlgorithmCount);
    record.Algo2Box = std::min(record.Algo2Box, kVlt7AlgorithmCount);
    if (record.Algo1Box == record.Algo2Box) {
        record.Algo1Box = kTdes;
    }
}

void VLT7CompatibleOff(SettingsRecord& record) {
    record.VLT7CompSwitch = 0;
}

void Algo1BoxChange(SettingsRecord& record, int position) {
    record.Algo1Box = static_cast<AlgorithmId>(position + 1);
    if (record.Algo2Box == record.Algo1Box) {
        record.Algo2Box = NeighbourOf(record.Algo1Box);
    }
}

void Algo2BoxChange(SettingsRecord& record, int position) {
    record.Algo2Box = SecondAlgorithmAt(position, record.Algo1Box);
}

std::uint8_t ReadOverwriteCount(const std::string& text) {
    const auto first = std::find_if_not(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c); });
    const auto last = std::find_if_not(text.rbegin(), text.rend(), [](unsigned char c) { return std::isspace(c); });
    std::string number(first, last.base() > first ? last.base() : first);
    bool negative = false;
    if (!number.empty() && (number[0] == '+' || number[0] == '-')) {
        negative = number[0] == '-';
        number.erase(0, 1);
    }
    const bool whole = !number.empty() && std::all_of(number.begin(), number.end(), [](unsigned char c) {
        return std::isdigit(c);
    });
    if (!whole || negative) {
        return kMinOverwrites;
    }
    // Any run of digits is a whole number; beyond two significant digits it is above 99.
    const std::size_t significant = number.find_first_not_of('0');
    if (significant == std::string::npos) {
        return kMinOverwrites;
    }
    if (number.size() - significant > 2) {
        return kMaxOverwrites;
    }
    const int value = std::stoi(number.substr(significant));
    return static_cast<std::uint8_t>(std::clamp(value, int{kMinOverwrites}, int{kMaxOverwrites}));
}

std::uint8_t OverwriteCountUp(const std::string& text) {
    const std::uint8_t count = ReadOverwriteCount(text);
    return count < kMaxOverwrites ? static_cast<std::uint8_t>(count + 1) : count;
}

std::uint8_t OverwriteCountDown(const std::string& text) {
    const std::uint8_t count = ReadOverwriteCount(text);
    return count > kMinOverwrites ? static_cast<std::uint8_t>(count - 1) : count;
}

void BeginOptionsEdit(SettingsRecord& live, SettingsRecord& copy) {
    live.ViewChanged = 0;
    live.FontChanged = 0;
    std::memcpy(&copy, &live, sizeof copy);
    if (copy.MixedEncryptionSwitch) {
        copy.MixedEncryptionSwitch = 1;
    }
    KeepAlgorithmsInLists(copy);
    if (copy.VLT7CompSwitch) {
        VLT7CompatibleOn(copy);
    } else {
        VLT7CompatibleOff(copy);
    }
}

void AcceptOptions(SettingsRecord& live, SettingsRecord& copy, const std::string& overwriteCountText) {
    copy.NumOfDODBox = ReadOverwriteCount(overwriteCountText);
    copy.FontChanged = SameFont(live, copy) ? 0 : 1;
    copy.ViewChanged = SameView(live, copy) ? 0 : 1;
    std::memcpy(&live, &copy, sizeof live);
}

std::string AlgorithmSettingsProblem(const SettingsRecord& record) {
    const bool mixed = record.MixedEncryptionSwitch != 0;
    if (!Offered(record.Algo1Box, kAlgorithmCount) || (mixed && !Offered(record.Algo2Box, kAlgorithmCount))) {
        return "the settings name no valid algorithm";
    }
    if (mixed && record.Algo1Box == record.Algo2Box) {
        return "mixed encryption needs two different algorithms";
    }
    const AlgorithmId offered = OfferedAlgorithmCount(record);
    if (!Offered(record.Algo1Box, offered) || (mixed && !Offered(record.Algo2Box, offered))) {
        const AlgorithmId beyond = Offered(record.Algo1Box, offered) ? record.Algo2Box : record.Algo1Box;
        return std::string(AlgorithmName(beyond)) + " cannot be used with VLT7 compatibility";
    }
    return "";
}

} // namespace vlt
