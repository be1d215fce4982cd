#include "batch/file_state.h"


namespace vlt {

FileState FileStateOf(const CheckResult& result, bool vlt7Compat) {
    if (result.code == ceNotEncrypted) {
        return {ikNotEncrypted, "Not encrypted"};
    }
    if (result.code != ceEncrypted) {
        return {}; // could not be opened, or not closed cleanly: nothing certain is known
    }
    const unsigned generation = result.generationWord >> 8;
    const bool current = generation == kGenerationVlt95;
    const bool handled = current != vlt7Compat;
    return {handled ? ikEncrypted : ikEncryptedOther,
            "Encrypted with VLT" + std::to_string(current ? 95U : generation)};
}

CheckResult PeekEncrypted(const OpenDirectory& directory, const std::string& name) {
    std::uint8_t header[kFileHeaderSize];
    const std::int64_t got = directory.PeekFileStart(name, header, sizeof header);
    if (got < 0) {
        return {resIOError, 0};
    }
    return CheckEncryptedHeader(header, static_cast<std::size_t>(got));
}

} // namespace vlt
