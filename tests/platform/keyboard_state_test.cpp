// The keyboard layer's in-process state: key-downs flip the toggle once per press, and
// a saved state written back restores Scroll Lock.
#include <gtest/gtest.h>

#include "platform/keyboard_state.h"

namespace vlt {
namespace {

bool ScrollToggled(KeyboardLayer& keyboard) {
    return (keyboard.GetKeyboardState()[kVkScroll] & kKeyToggled) != 0;
}

TEST(KeyboardState, ScrollLockEventsAndRestore) {
    const std::unique_ptr<KeyboardLayer> keyboard = MakeInProcessKeyboard();
    EXPECT_FALSE(ScrollToggled(*keyboard));
    const KeyboardState saved = keyboard->GetKeyboardState();
    keyboard->ScrollLockEvent(true);
    EXPECT_TRUE(ScrollToggled(*keyboard));
    EXPECT_NE(keyboard->GetKeyboardState()[kVkScroll] & kKeyPressed, 0);
    keyboard->ScrollLockEvent(true); // auto-repeat of a held key does not toggle again
    EXPECT_TRUE(ScrollToggled(*keyboard));
    keyboard->ScrollLockEvent(false);
    keyboard->ScrollLockEvent(true);
    EXPECT_FALSE(ScrollToggled(*keyboard));
    keyboard->ScrollLockEvent(false);
    keyboard->ScrollLockEvent(true); // stopped half way: toggled and held
    KeyboardState now = keyboard->GetKeyboardState();
    now[kVkScroll] = saved[kVkScroll];
    keyboard->SetKeyboardState(now);
    EXPECT_FALSE(ScrollToggled(*keyboard));
    EXPECT_EQ(keyboard->GetKeyboardState()[kVkScroll] & kKeyPressed, 0);
}

TEST(KeyboardState, NoX11DisplayGivesNoX11Layer) {
    EXPECT_EQ(MakeX11Keyboard(":no-such-display"), nullptr);
}

} // namespace
} // namespace vlt
