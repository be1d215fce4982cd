#include "container/stored_name.h"

#include "container/format.h"

namespace vlt {

bool IsPlainStoredName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name != TempName &&
           name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

} // namespace vlt
