#include "cipher/engines.h"

// Engines whose folders are not populated yet answer "invalid".
namespace vlt {

std::unique_ptr<BlockEngine> MakeCobraEngine() {
    return nullptr;
}

} // namespace vlt
