// The passphrase cipher behind method Tarnex.
#include "tarnex/libs/kit/entry.h"
#include "tarnex/libs/kit/passphrase_method.h"

using namespace tarnex::kit;

TARNEX_EXPORT void tarnex_attach(const TarnexHost* host) {
    AttachHost(host);
}

TARNEX_EXPORT void tarnex_crypt(const char* source, const char* key, char flag) {
    ContentBuffer buffer1(kPieceSize);
    if (!buffer1.Valid()) {
        Report(Failure::Buffer1Tarnex);
        return;
    }
    ContentBuffer buffer2(kPieceSize);
    if (!buffer2.Valid()) {
        Report(Failure::Buffer2Tarnex);
        return;
    }
    RunPassphraseCall(source, key, flag, {'T', 'X', 'N', '1'}, {buffer1.Span(), buffer2.Span()});
}
