/* A stand-in for a screen-saver host's preview pane: an X window of the given size and place, mapped,
   its id printed in decimal on standard output. It stays until the process is ended (the X server then
   destroys the window).
   Usage: host_window WIDTH HEIGHT X Y */
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>
#include <xcb/xcb.h>

int main(int argc, char** argv) {
    if (argc != 5) {
        fprintf(stderr, "usage: %s WIDTH HEIGHT X Y\n", argv[0]);
        return 2;
    }
    xcb_connection_t* c = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(c)) {
        fprintf(stderr, "host_window: cannot open the display\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t w = xcb_generate_id(c);
    const uint32_t values[] = {screen->white_pixel, 1};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, (int16_t)atoi(argv[3]),
                      (int16_t)atoi(argv[4]), (uint16_t)atoi(argv[1]), (uint16_t)atoi(argv[2]), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(c, w);
    xcb_flush(c);
    printf("%u\n", w);
    fflush(stdout);
    for (;;) {
        xcb_generic_event_t* e = xcb_wait_for_event(c);
        if (!e) break;
        free(e);
    }
    return 0;
}
