#pragma once
// The lines of one run's message log, numbered from 0 in the order they were added,
// with a read cursor so that a repaint steps through consecutive lines.
#include <cstdint>
#include <string>
#include <vector>

namespace vlt {

class LineStore {
public:
    // A new store holds line 0 with empty text; the read cursor is none.
    LineStore();

    // Appends a line numbered last + 1; false when memory for it is not available.
    [[nodiscard]] bool Add(const std::string& text);
    // The text of line `number` (the cursor moves there), or "" when there is none.
    [[nodiscard]] std::string Get(std::int32_t number);
    // The line after the cursor; "" and cursor none when there is no such line.
    [[nodiscard]] std::string GetNext();
    // Replaces the text of an existing line; nothing happens for a missing one.
    void Set(std::int32_t number, const std::string& text);
    // Lines held, line 0 included.
    [[nodiscard]] std::int32_t Count() const { return static_cast<std::int32_t>(lines_.size()); }

private:
    std::vector<std::string> lines_;
    std::int32_t cursor_ = -1;
};

} // namespace vlt
