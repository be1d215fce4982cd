// The two Chaos methods: the same sealing under separate magics, so that keys and files of one
// method never open with the other.
#include "tarnex/libs/kit/entry.h"
#include "tarnex/libs/kit/passphrase_method.h"

using namespace tarnex::kit;

namespace {

void RunChaos(const char* source, const char* key, char flag, const Magic& magic) {
    ContentBuffer buffer(kPieceSize);
    if (!buffer.Valid()) {
        Report(Failure::BufferTarnexCh);
        return;
    }
    RunPassphraseCall(source, key, flag, magic, {buffer.Span(), buffer.Span()});
}

} // namespace

TARNEX_EXPORT void tarnexch_attach(const TarnexHost* host) {
    AttachHost(host);
}

TARNEX_EXPORT void tarnexch_crypt1(const char* source, const char* key, char flag) {
    RunChaos(source, key, flag, {'T', 'X', 'C', '1'});
}

TARNEX_EXPORT void tarnexch_crypt2(const char* source, const char* key, char flag) {
    RunChaos(source, key, flag, {'T', 'X', 'C', '2'});
}
