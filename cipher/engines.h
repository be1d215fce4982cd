#pragma once
// Factories of the six engines, each in its own folder. An engine comes from its
// factory with its initial (unkeyed) tables. A factory that returns nullptr marks
// an algorithm this build cannot serve; the algorithm table treats it as invalid.
#include "cipher/block_engine.h"

namespace vlt {

std::unique_ptr<BlockEngine> MakeBlowfishEngine();   // id 1, 16 rounds
std::unique_ptr<BlockEngine> MakeBlowfish32Engine(); // id 2, 32 rounds
std::unique_ptr<BlockEngine> MakeGostEngine();       // id 3
std::unique_ptr<BlockEngine> MakeTdesEngine();       // id 4
std::unique_ptr<BlockEngine> MakeCobraEngine();      // id 5
std::unique_ptr<BlockEngine> MakeIdeaEngine();       // id 6

} // namespace vlt
