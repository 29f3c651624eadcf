// The foreground window on a real X server: the test's own connection plays the window manager, which
// publishes _NET_ACTIVE_WINDOW and receives activation requests.

#include "startup/foreground.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

using namespace vorlin::startup;

namespace {

// One connection for the whole suite: an X server resets when its last client leaves, and connections
// made during a reset fail.
class FakeWindowManager : public ::testing::Test {
protected:
    static inline xcb_connection_t* c = nullptr;
    static inline xcb_window_t root = 0;
    static inline xcb_atom_t active = 0;

    static void SetUpTestSuite() {
        c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(c)) return;
        root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 18, "_NET_ACTIVE_WINDOW"), nullptr);
        active = reply ? reply->atom : 0;
        std::free(reply);
    }
    static void TearDownTestSuite() {
        if (c) xcb_disconnect(c);
        c = nullptr;
    }
    void SetUp() override {
        ASSERT_FALSE(xcb_connection_has_error(c));
        ASSERT_NE(active, 0u);
    }
    void publish(std::uint32_t window) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, active, XCB_ATOM_WINDOW, 32, 1, &window);
        xcb_flush(c);
        xcb_aux_sync();
    }
    void xcb_aux_sync() { std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); }
};

TEST_F(FakeWindowManager, ActiveWindowIsReadFromTheRoot) {
    xcb_delete_property(c, root, active);
    xcb_aux_sync();
    EXPECT_EQ(activeWindow(), 0u) << "no window manager: unknown";
    publish(0x1234567);
    EXPECT_EQ(activeWindow(), 0x1234567u);
}

TEST_F(FakeWindowManager, ActivationRequestReachesTheWindowManager) {
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
    auto* err = xcb_request_check(c, xcb_change_window_attributes_checked(c, root, XCB_CW_EVENT_MASK, &mask));
    ASSERT_EQ(err, nullptr) << "another window manager runs";
    EXPECT_FALSE(activateWindow(0));
    EXPECT_TRUE(activateWindow(0x2345));

    bool seen = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!seen && std::chrono::steady_clock::now() < deadline) {
        xcb_generic_event_t* ev = xcb_poll_for_event(c);
        if (!ev) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        if ((ev->response_type & 0x7F) == XCB_CLIENT_MESSAGE) {
            auto* cm = reinterpret_cast<xcb_client_message_event_t*>(ev);
            seen = cm->type == active && cm->window == 0x2345 && cm->format == 32;
        }
        std::free(ev);
    }
    EXPECT_TRUE(seen);
}

TEST(Foreground, NoDisplayGivesNothing) {
    const char* d = std::getenv("DISPLAY");
    const std::string saved = d ? d : "";
    unsetenv("DISPLAY");
    EXPECT_EQ(activeWindow(), 0u);
    EXPECT_FALSE(activateWindow(42));
    setenv("DISPLAY", saved.c_str(), 1);
}

} // namespace
