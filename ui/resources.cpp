#include "ui/resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares its function in the enclosing namespace, so it runs outside ours.
static void LoadBuiltInResources() {
    Q_INIT_RESOURCE(icons);
    Q_INIT_RESOURCE(help);
}

namespace vlt::ui {

void LoadResources() {
    static const bool loaded = (LoadBuiltInResources(), true);
    (void)loaded;
}

} // namespace vlt::ui
