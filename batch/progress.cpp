#include "batch/progress.h"

#include <algorithm>

namespace vlt {

int ProgressPercent(std::int64_t position, std::int64_t total) {
    if (total <= 0) {
        return 0;
    }
    const std::int64_t percent = total >= 100 ? position / (total / 100) : position * 100 / total;
    return static_cast<int>(std::clamp<std::int64_t>(percent, 0, 100));
}

std::int64_t ProgressFillWidth(std::int64_t width, std::int64_t position, std::int64_t total) {
    if (width <= 0 || position <= 0) {
        return 0;
    }
    if (position >= total) {
        return width;
    }
    const std::int64_t perPixel = total / width;
    const std::int64_t fill = perPixel == 0 ? 0 : width * (position / width) / perPixel;
    return std::clamp<std::int64_t>(fill, 0, width);
}

std::string ProgressTitle(int percent) {
    return std::string(kProgramTitle) + " - " + PercentText(percent);
}

std::string PercentText(int percent) {
    return std::to_string(percent) + "%";
}

int ProgressTextLeft(int width, int characters, int fontSize) {
    return width / 2 - characters * fontSize / 2;
}

} // namespace vlt
