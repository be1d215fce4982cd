#include "ui/desktop_service.h"

#include <QByteArray>
#include <QDesktopServices>
#include <QFile>
#include <QUrl>

namespace vlt::ui {
namespace {

class QtDesktop final : public DesktopService {
public:
    void OpenFile(const std::string& path) override {
        // decodeName keeps names that are not UTF-8 intact on their way to the file URL.
        const QString name = QFile::decodeName(QByteArray::fromStdString(path));
        (void)QDesktopServices::openUrl(QUrl::fromLocalFile(name));
    }
};

DesktopService* installed = nullptr;

} // namespace

DesktopService& Desktop() {
    static QtDesktop desktop;
    return installed != nullptr ? *installed : desktop;
}

void SetDesktop(DesktopService* service) { installed = service; }

} // namespace vlt::ui
