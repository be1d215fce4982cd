#pragma once

#include <QDialog>

namespace tarnex {

// The info dialog: template 5000 in English, 4000 in German.
class TInfoDialog final : public QDialog {
    Q_OBJECT
    Q_PROPERTY(int templateId READ TemplateId CONSTANT)
public:
    static constexpr int kEnglishTemplate = 5000;
    static constexpr int kGermanTemplate = 4000;

    TInfoDialog(unsigned char languageFlag, QWidget* parent);

    [[nodiscard]] int TemplateId() const { return templateId_; }

private:
    int templateId_;
};

} // namespace tarnex
