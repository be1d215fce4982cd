#include "cipher/algorithm_table.h"

#include "cipher/engines.h"

namespace vlt {

namespace {

struct AlgorithmEntry {
    const char* name;
    std::uint16_t derivedKeyLength;
    std::unique_ptr<BlockEngine> (*makeEngine)();
};

// Indexed by id - 1.
constexpr AlgorithmEntry kAlgorithms[kAlgorithmCount] = {
    {"Blowfish", 56, MakeBlowfishEngine}, {"Blowfish32", 56, MakeBlowfish32Engine}, {"GOST", 32, MakeGostEngine},
    {"TDES", 21, MakeTdesEngine},         {"Cobra", 32, MakeCobraEngine},           {"IDEA", 16, MakeIdeaEngine},
};

const AlgorithmEntry* Find(AlgorithmId id) {
    return id >= 1 && id <= kAlgorithmCount ? &kAlgorithms[id - 1] : nullptr;
}

} // namespace

const char* AlgorithmName(AlgorithmId id) {
    const AlgorithmEntry* entry = Find(id);
    return entry ? entry->name : "";
}

std::uint16_t DerivedKeyLength(AlgorithmId id) {
    const AlgorithmEntry* entry = Find(id);
    return entry ? entry->derivedKeyLength : 0;
}

std::unique_ptr<BlockEngine> MakeAlgorithmEngine(AlgorithmId id) {
    const AlgorithmEntry* entry = Find(id);
    return entry ? entry->makeEngine() : nullptr;
}

} // namespace vlt
