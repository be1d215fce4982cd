#include "batch/line_store.h"

#include <new>

namespace vlt {

LineStore::LineStore() : lines_(1) {}

bool LineStore::Add(const std::string& text) {
    try {
        lines_.push_back(text);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

std::string LineStore::Get(std::int32_t number) {
    if (number < 0 || number >= Count()) {
        return {};
    }
    cursor_ = number;
    return lines_[static_cast<std::size_t>(number)];
}

std::string LineStore::GetNext() {
    if (cursor_ < 0 || cursor_ + 1 >= Count()) {
        cursor_ = -1;
        return {};
    }
    ++cursor_;
    return lines_[static_cast<std::size_t>(cursor_)];
}

void LineStore::Set(std::int32_t number, const std::string& text) {
    if (number >= 0 && number < Count()) {
        lines_[static_cast<std::size_t>(number)] = text;
    }
}

} // namespace vlt
