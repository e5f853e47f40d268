// Holds one key combination the way another program would: a passive grab on the root window.
// argv[1]: keysym (hex), argv[2]: modifier mask (decimal). Prints "grabbed" and waits to be
// killed, or exits with 3 when another client holds the combination.
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    const xcb_keysym_t keysym = static_cast<xcb_keysym_t>(strtoul(argv[1], nullptr, 16));
    const uint16_t mask = static_cast<uint16_t>(atoi(argv[2]));
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 2;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(c);
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym);
    if (!codes || codes[0] == XCB_NO_SYMBOL)
        return 2;
    xcb_generic_error_t* error =
        xcb_request_check(c, xcb_grab_key_checked(c, 1, root, mask, codes[0], XCB_GRAB_MODE_ASYNC,
                                                  XCB_GRAB_MODE_ASYNC));
    if (error)
        return 3;
    printf("grabbed\n");
    fflush(stdout);
    while (true)
        pause();
}
