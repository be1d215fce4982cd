#pragma once

#include <QString>
#include <QWidget>

namespace tarnex {

// The length of the key field as two digits ("%02i"), red on light grey.
class TKeyLengthView final : public QWidget {
    Q_OBJECT
public:
    static constexpr QRgb kTextColour = qRgb(255, 0, 0);
    static constexpr QRgb kBackgroundColour = qRgb(192, 192, 192);

    explicit TKeyLengthView(QWidget* parent = nullptr);

    void ShowLength(qsizetype length);
    [[nodiscard]] QString Text() const { return text_; }
    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
};

} // namespace tarnex
