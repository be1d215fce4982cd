#include "ui/help_pages.h"

#include <QString>

namespace vlt::ui {
namespace {

// Context numbers by window: each range lives on one page, as section "context-N".
struct PageRange {
    int first, last;
    const char* page;
};

constexpr PageRange kPages[] = {
    {100, 100, "main_window.html"}, {200, 202, "main_window.html"}, {300, 301, "main_window.html"},
    {800, 802, "main_window.html"}, {350, 350, "destination.html"}, {400, 426, "options.html"},
    {428, 429, "options.html"},     {600, 603, "passphrase.html"},
};

} // namespace

QUrl HelpContentsUrl() { return QUrl(QStringLiteral("qrc:/help/index.html")); }

QUrl HelpUrlOf(int context) {
    for (const PageRange& range : kPages) {
        if (context >= range.first && context <= range.last) {
            QUrl url(QStringLiteral("qrc:/help/") + QString::fromLatin1(range.page));
            url.setFragment(QStringLiteral("context-%1").arg(context));
            return url;
        }
    }
    return {};
}

} // namespace vlt::ui
