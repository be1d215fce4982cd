#pragma once
// The keyboard state and synthetic key events that the passphrase dialog's TEMPEST
// mode uses: 256 entries by virtual key (bit 7 pressed, bit 0 toggled), a Scroll Lock
// key event, and the state written back. On X11 the events go to the display server
// through the XTest extension, loaded at run time; elsewhere (offscreen, Wayland) an
// in-process state stands in, so saving and restoring behave the same.
#include <array>
#include <cstdint>
#include <memory>

namespace vlt {

constexpr std::uint8_t kVkScroll = 0x91;
constexpr std::uint8_t kKeyPressed = 0x80;
constexpr std::uint8_t kKeyToggled = 0x01;

using KeyboardState = std::array<std::uint8_t, 256>;

class KeyboardLayer {
public:
    virtual ~KeyboardLayer() = default;
    [[nodiscard]] virtual KeyboardState GetKeyboardState() = 0;
    // Writes the whole state; a Scroll Lock toggle that differs is set to match.
    virtual void SetKeyboardState(const KeyboardState& state) = 0;
    // One Scroll Lock key event; a key-down of a released key flips its toggle.
    virtual void ScrollLockEvent(bool down) = 0;
};

// The in-process state: nothing leaves the program.
[[nodiscard]] std::unique_ptr<KeyboardLayer> MakeInProcessKeyboard();

// The X11 display named by `display` ("" for $DISPLAY) with the XTest extension;
// nullptr when the libraries, the display or the extension are not there.
[[nodiscard]] std::unique_ptr<KeyboardLayer> MakeX11Keyboard(const char* display = "");

} // namespace vlt
