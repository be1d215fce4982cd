#include "ui/list_font.h"

namespace vlt::ui {
namespace {

constexpr std::uint32_t kSystemColour = 0x80000000u;

// The Windows system colour numbers a font colour can name, by their Qt role.
QPalette::ColorRole SystemColourRole(std::uint32_t number) {
    switch (number) {
    case 5: // window background
        return QPalette::Base;
    case 9: // caption text
    case 18: // button text
        return QPalette::ButtonText;
    case 13: // highlight
        return QPalette::Highlight;
    case 14: // highlighted text
        return QPalette::HighlightedText;
    case 15: // button face
        return QPalette::Button;
    case 17: // grey text
        return QPalette::PlaceholderText;
    default: // 8, window text, and everything else
        return QPalette::Text;
    }
}

} // namespace

bool ToQFont(const ListFont& font, QFont& out) {
    if (font.name.empty() || font.size <= 0) {
        return false;
    }
    QFont result(QString::fromStdString(font.name));
    result.setPointSize(font.size);
    result.setBold((font.style & 0x01) != 0);
    result.setItalic((font.style & 0x02) != 0);
    result.setUnderline((font.style & 0x04) != 0);
    result.setStrikeOut((font.style & 0x08) != 0);
    out = result;
    return true;
}

QColor ToQColor(std::uint32_t colour, const QPalette& palette) {
    if ((colour & kSystemColour) != 0) {
        return palette.color(SystemColourRole(colour & ~kSystemColour));
    }
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

} // namespace vlt::ui
