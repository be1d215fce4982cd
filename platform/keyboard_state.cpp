#include "platform/keyboard_state.h"

#include <dlfcn.h>

namespace vlt {

namespace {

class InProcessKeyboard : public KeyboardLayer {
public:
    KeyboardState GetKeyboardState() override { return state_; }
    void SetKeyboardState(const KeyboardState& state) override { state_ = state; }
    void ScrollLockEvent(bool down) override {
        std::uint8_t& key = state_[kVkScroll];
        if (down && (key & kKeyPressed) == 0) {
            key ^= kKeyToggled;
        }
        key = down ? (key | kKeyPressed) : (key & ~kKeyPressed);
    }

private:
    KeyboardState state_{};
};

// The few Xlib, XKB and XTest entry points, bound by name so that neither library is
// needed to build or to run without a display.
using Display = void;
using Atom = unsigned long;
constexpr unsigned long kXkScrollLock = 0xFF14;

struct X11Api {
    void* x11 = nullptr;
    void* xtst = nullptr;
    Display* (*OpenDisplay)(const char*) = nullptr;
    int (*CloseDisplay)(Display*) = nullptr;
    unsigned char (*KeysymToKeycode)(Display*, unsigned long) = nullptr;
    int (*Flush)(Display*) = nullptr;
    Atom (*InternAtom)(Display*, const char*, int) = nullptr;
    int (*GetNamedIndicator)(Display*, Atom, int*, int*, void*, int*) = nullptr;
    int (*FakeKeyEvent)(Display*, unsigned int, int, unsigned long) = nullptr;
    int (*QueryExtension)(Display*, int*, int*, int*, int*) = nullptr;

    template <typename F> static bool Bind(void* library, const char* name, F& function) {
        function = reinterpret_cast<F>(dlsym(library, name));
        return function != nullptr;
    }
    bool Load() {
        x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
        xtst = x11 ? dlopen("libXtst.so.6", RTLD_NOW | RTLD_LOCAL) : nullptr;
        return xtst && Bind(x11, "XOpenDisplay", OpenDisplay) && Bind(x11, "XCloseDisplay", CloseDisplay) &&
               Bind(x11, "XKeysymToKeycode", KeysymToKeycode) && Bind(x11, "XFlush", Flush) &&
               Bind(x11, "XInternAtom", InternAtom) && Bind(x11, "XkbGetNamedIndicator", GetNamedIndicator) &&
               Bind(xtst, "XTestFakeKeyEvent", FakeKeyEvent) && Bind(xtst, "XTestQueryExtension", QueryExtension);
    }
    ~X11Api() {
        if (xtst) {
            dlclose(xtst);
        }
        if (x11) {
            dlclose(x11);
        }
    }
};

// Key events go to the display server; the state is kept in process as well, and the
// server's Scroll Lock indicator, where it has one, says what the toggle really is.
class X11Keyboard : public KeyboardLayer {
public:
    X11Keyboard(std::unique_ptr<X11Api> api, Display* display, unsigned char keycode)
        : api_(std::move(api)), display_(display), keycode_(keycode),
          indicator_(api_->InternAtom(display_, "Scroll Lock", 0)) {
        local_.ScrollLockEvent(false);
        SyncToggle();
    }
    ~X11Keyboard() override { api_->CloseDisplay(display_); }

    KeyboardState GetKeyboardState() override {
        SyncToggle();
        return local_.GetKeyboardState();
    }
    void SetKeyboardState(const KeyboardState& state) override {
        SyncToggle();
        const bool wanted = (state[kVkScroll] & kKeyToggled) != 0;
        if (Toggled() != wanted) {
            Send(true);
            Send(false);
        }
        local_.SetKeyboardState(state);
    }
    void ScrollLockEvent(bool down) override { Send(down); }

private:
    bool Toggled() { return (local_.GetKeyboardState()[kVkScroll] & kKeyToggled) != 0; }
    void Send(bool down) {
        api_->FakeKeyEvent(display_, keycode_, down ? 1 : 0, 0);
        api_->Flush(display_);
        local_.ScrollLockEvent(down);
    }
    // Takes the server's indicator as the toggle when the server has one.
    void SyncToggle() {
        int on = 0;
        if (indicator_ != 0 && api_->GetNamedIndicator(display_, indicator_, nullptr, &on, nullptr, nullptr) != 0) {
            KeyboardState state = local_.GetKeyboardState();
            state[kVkScroll] = static_cast<std::uint8_t>((state[kVkScroll] & ~kKeyToggled) | (on ? kKeyToggled : 0));
            local_.SetKeyboardState(state);
        }
    }

    std::unique_ptr<X11Api> api_;
    Display* display_;
    unsigned char keycode_;
    Atom indicator_;
    InProcessKeyboard local_;
};

} // namespace

std::unique_ptr<KeyboardLayer> MakeInProcessKeyboard() {
    return std::make_unique<InProcessKeyboard>();
}

std::unique_ptr<KeyboardLayer> MakeX11Keyboard(const char* display) {
    auto api = std::make_unique<X11Api>();
    if (!api->Load()) {
        return nullptr;
    }
    Display* connection = api->OpenDisplay(display != nullptr && *display != '\0' ? display : nullptr);
    if (connection == nullptr) {
        return nullptr;
    }
    int event = 0, error = 0, major = 0, minor = 0;
    const unsigned char keycode = api->KeysymToKeycode(connection, kXkScrollLock);
    if (api->QueryExtension(connection, &event, &error, &major, &minor) == 0 || keycode == 0) {
        api->CloseDisplay(connection);
        return nullptr;
    }
    return std::make_unique<X11Keyboard>(std::move(api), connection, keycode);
}

} // namespace vlt
