#include "show/windows/show_marker.h"

#include <QGuiApplication>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace vorlin::showwindows {

namespace {

constexpr const char* kSelection = "_VORLIN_SHOW";

xcb_window_t selectionOwner(xcb_connection_t* c, xcb_atom_t atom) {
    xcb_get_selection_owner_reply_t* reply =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom), nullptr);
    const xcb_window_t owner = reply ? reply->owner : XCB_NONE;
    std::free(reply);
    return owner;
}

bool claimOnX(xcb_connection_t* c) {
    xcb_intern_atom_reply_t* interned =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(kSelection), kSelection), nullptr);
    if (!interned) return true; // the server would not answer: no show to give way to either
    const xcb_atom_t atom = interned->atom;
    std::free(interned);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen) return true;

    // Looked at and taken under a server grab, so that two shows starting together cannot both take it.
    xcb_grab_server(c);
    bool claimed = false;
    if (selectionOwner(c, atom) == XCB_NONE) {
        // A window nobody sees, only to own the selection; it lives as long as the connection.
        const xcb_window_t window = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, -1, -1, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_set_selection_owner(c, window, atom, XCB_CURRENT_TIME);
        claimed = selectionOwner(c, atom) == window;
    }
    xcb_ungrab_server(c);
    xcb_flush(c);
    return claimed;
}

bool claimOnWayland() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const char* socket = std::getenv("WAYLAND_DISPLAY");
    if (!runtime || !*runtime) return true;
    std::string name = socket && *socket ? socket : "wayland-0";
    for (char& ch : name)
        if (ch == '/') ch = '_';
    const std::string path = std::string(runtime) + "/vorlinsaver-show-" + name + ".lock";
    // Kept open (and locked) until the process ends.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return true; // nowhere to keep a marker: the show runs
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    ::close(fd);
    return false;
}

} // namespace

bool claimShowMarker() {
    if (auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        if (xcb_connection_t* c = x11->connection()) return claimOnX(c);
    if (QGuiApplication::platformName().startsWith("wayland")) return claimOnWayland();
    return true;
}

} // namespace vorlin::showwindows
