#include "startup/foreground.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace vorlin::startup {

namespace {

struct Connection {
    xcb_connection_t* c = nullptr;
    xcb_window_t root = 0;
    Connection() {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) return;
        int screenNumber = 0;
        c = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(c)) return;
        auto it = xcb_setup_roots_iterator(xcb_get_setup(c));
        for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
        if (it.rem) root = it.data->root;
    }
    ~Connection() {
        if (c) xcb_disconnect(c);
    }
    bool ok() const { return c && !xcb_connection_has_error(c) && root; }

    xcb_atom_t atom(const char* name) {
        auto cookie = xcb_intern_atom(c, 1, std::uint16_t(std::strlen(name)), name);
        auto* reply = xcb_intern_atom_reply(c, cookie, nullptr);
        const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return a;
    }
};

} // namespace

std::uint32_t activeWindow() noexcept {
    Connection x;
    if (!x.ok()) return 0;
    const xcb_atom_t active = x.atom("_NET_ACTIVE_WINDOW");
    if (active == XCB_ATOM_NONE) return 0;
    auto cookie = xcb_get_property(x.c, 0, x.root, active, XCB_ATOM_WINDOW, 0, 1);
    auto* reply = xcb_get_property_reply(x.c, cookie, nullptr);
    std::uint32_t window = 0;
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply) >= 4)
        window = *static_cast<std::uint32_t*>(xcb_get_property_value(reply));
    std::free(reply);
    return window;
}

bool activateWindow(std::uint32_t window) noexcept {
    if (window == 0) return false;
    Connection x;
    if (!x.ok()) return false;
    const xcb_atom_t active = x.atom("_NET_ACTIVE_WINDOW");
    if (active == XCB_ATOM_NONE) return false;
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = window;
    ev.type = active;
    ev.data.data32[0] = 2; // source: a pager-like tool, which window managers obey
    ev.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(x.c, 0, x.root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&ev));
    // A round trip before the connection closes: a server may drop requests still unread at a hang-up.
    std::free(xcb_get_input_focus_reply(x.c, xcb_get_input_focus(x.c), nullptr));
    return true;
}

} // namespace vorlin::startup
