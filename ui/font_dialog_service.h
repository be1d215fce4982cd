#pragma once
// The standard font dialog with a colour, as the file list's font is chosen. One
// replaceable service, so tests answer it from a script.
#include <QColor>
#include <QFont>
#include <cstdint>

class QWidget;

namespace vlt::ui {

class FontDialogService {
public:
    virtual ~FontDialogService() = default;
    // Shows the dialog preset with `font` and `colour`; true and the choice in both on
    // OK, false and both unchanged on Cancel.
    [[nodiscard]] virtual bool ChooseFont(QWidget* parent, QFont& font, QColor& colour) = 0;
};

// The installed service (the Qt font dialog with a colour button until a test
// installs its own).
[[nodiscard]] FontDialogService& FontDialogs();
// Installs `service`, or the Qt one again for nullptr.
void SetFontDialogs(FontDialogService* service);

// A colour as the settings store it: 0x00BBGGRR.
[[nodiscard]] std::uint32_t StoredColour(const QColor& colour);

} // namespace vlt::ui
