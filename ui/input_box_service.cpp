#include "ui/input_box_service.h"

#include <QApplication>
#include <QInputDialog>

namespace vlt::ui {
namespace {

class QtInputBoxes final : public InputBoxService {
public:
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override {
        QInputDialog box(QApplication::activeWindow());
        box.setWindowTitle(QString::fromStdString(caption));
        box.setLabelText(QString::fromStdString(prompt));
        box.setTextValue(QString::fromStdString(value));
        box.setOkButtonText(QStringLiteral("&OK"));
        box.setCancelButtonText(QStringLiteral("&Cancel"));
        box.resize(qMax(box.sizeHint().width(), 360), box.sizeHint().height());
        if (box.exec() != QDialog::Accepted) {
            return false;
        }
        value = box.textValue().toStdString();
        return true;
    }
};

InputBoxService* installed = nullptr;

} // namespace

InputBoxService& InputBoxes() {
    static QtInputBoxes dialog;
    return installed != nullptr ? *installed : dialog;
}

void SetInputBoxes(InputBoxService* service) { installed = service; }

} // namespace vlt::ui
