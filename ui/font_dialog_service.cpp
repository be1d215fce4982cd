#include "ui/font_dialog_service.h"

#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vlt::ui {
namespace {

// The font dialog embedded with a colour choice below it, as one dialog: the colour
// belongs to the font the list shows.
class FontAndColourDialog final : public QDialog {
public:
    FontAndColourDialog(QWidget* parent, const QFont& font, const QColor& colour) : QDialog(parent), colour_(colour) {
        setWindowTitle(QStringLiteral("Font"));
        fonts_ = new QFontDialog(font, this);
        fonts_->setObjectName(QStringLiteral("FontChooser"));
        fonts_->setWindowFlags(Qt::Widget);
        fonts_->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
        auto* colourButton = new QPushButton(QStringLiteral("C&olour..."), this);
        colourButton->setObjectName(QStringLiteral("ColourButton"));
        colourButton->setAutoDefault(false);
        sample_ = new QLabel(this);
        sample_->setObjectName(QStringLiteral("ColourSample"));
        sample_->setMinimumWidth(48);
        sample_->setFrameShape(QFrame::Box);
        sample_->setAutoFillBackground(true);
        ShowColour();
        connect(colourButton, &QPushButton::clicked, this, [this] {
            const QColor picked = QColorDialog::getColor(colour_, this, QStringLiteral("Colour"));
            if (picked.isValid()) {
                colour_ = picked;
                ShowColour();
            }
        });
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto* colourRow = new QHBoxLayout;
        colourRow->addWidget(colourButton);
        colourRow->addWidget(sample_);
        colourRow->addStretch();
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(fonts_);
        layout->addLayout(colourRow);
        layout->addWidget(buttons);
    }
    QFont Font() const { return fonts_->currentFont(); }
    QColor Colour() const { return colour_; }

private:
    void ShowColour() {
        QPalette palette = sample_->palette();
        palette.setColor(QPalette::Window, colour_);
        sample_->setPalette(palette);
    }

    QFontDialog* fonts_ = nullptr;
    QLabel* sample_ = nullptr;
    QColor colour_;
};

class QtFontDialogs final : public FontDialogService {
public:
    bool ChooseFont(QWidget* parent, QFont& font, QColor& colour) override {
        FontAndColourDialog dialog(parent, font, colour);
        if (dialog.exec() != QDialog::Accepted) {
            return false;
        }
        font = dialog.Font();
        colour = dialog.Colour();
        return true;
    }
};

FontDialogService* installed = nullptr;

} // namespace

FontDialogService& FontDialogs() {
    static QtFontDialogs dialog;
    return installed != nullptr ? *installed : dialog;
}

void SetFontDialogs(FontDialogService* service) { installed = service; }

std::uint32_t StoredColour(const QColor& colour) {
    return static_cast<std::uint32_t>(colour.red()) | static_cast<std::uint32_t>(colour.green()) << 8 |
           static_cast<std::uint32_t>(colour.blue()) << 16;
}

} // namespace vlt::ui
