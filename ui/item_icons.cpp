#include "ui/item_icons.h"

#include "ui/resources.h"

namespace vlt::ui {

const std::array<QIcon, kGoodPixCount>& GoodPix() {
    static const std::array<QIcon, kGoodPixCount> icons = [] {
        LoadResources();
        constexpr const char* kFiles[kGoodPixCount] = {"item_dir",     "item_file",   "item_file_e",
                                                       "item_file_ex", "item_file_d", "item_drive",
                                                       "item_drive_f", "item_drive_c"};
        std::array<QIcon, kGoodPixCount> loaded;
        for (int i = 0; i < kGoodPixCount; ++i) {
            loaded[i] = QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(kFiles[i])));
        }
        return loaded;
    }();
    return icons;
}

} // namespace vlt::ui
