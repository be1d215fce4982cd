#include "ui/drive_probe.h"

#include <future>
#include <memory>
#include <thread>

#include "platform/drives.h"

namespace vlt::ui {

bool DriveAccessible(const std::string& mountPoint, std::chrono::milliseconds patience) {
    auto answer = std::make_shared<std::promise<bool>>();
    std::future<bool> result = answer->get_future();
    std::thread([answer, mountPoint] {
        std::uint64_t bytesFree = 0;
        answer->set_value(FreeSpace(mountPoint, bytesFree));
    }).detach();
    return result.wait_for(patience) == std::future_status::ready && result.get();
}

} // namespace vlt::ui
