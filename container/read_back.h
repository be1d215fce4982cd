#pragma once
// Read-back checks of a finished output before the file it replaces goes: the
// output is read from the device (see DeviceReader) while its handle is still
// held, and must carry exactly the content the operation read from its source.
#include "container/container_reader.h"
#include "container/file_operation_host.h"
#include "container/result_code.h"
#include "support/device_reader.h"
#include "support/file_access.h"

#include <cstdint>
#include <string>

namespace vlt {

// A device read as a container's byte source.
class DeviceSource final : public ByteSource {
public:
    explicit DeviceSource(DeviceReader& reader) : reader_(reader) {}
    [[nodiscard]] std::int64_t Read(void* data, std::size_t length) override { return reader_.Read(data, length); }

private:
    DeviceReader& reader_;
};

// What the output must hold: the CRC-32 of the plain content as the trailer
// stores it, its size, and (for a container) the stored name.
struct ExpectedContent {
    std::uint32_t crc = 0;
    std::uint64_t size = 0;
    std::string storedName;
};

// The container in `output` decoded into nothing with the current run's keys:
// resDone when it decodes to the expected content, else resVerificationFailed.
[[nodiscard]] ResultCode ReadBackContainer(const FileHandle& output, const ExpectedContent& expected,
                                           FileOperationHost& host);
// The plain file in `output`: resDone when it holds the expected content (the
// stored name is not examined), else resVerificationFailed.
[[nodiscard]] ResultCode ReadBackPlainFile(const FileHandle& output, const ExpectedContent& expected,
                                           FileOperationHost& host);

} // namespace vlt
