// Asks a window to close the way a window manager's close button does: the
// WM_DELETE_WINDOW message of the window's protocols. Xvfb runs no window
// manager, so the end-to-end tests send it themselves.
//   send_window_close <window id>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s <window id>\n", argv[0]);
        return 2;
    }
    Display* const display = XOpenDisplay(NULL);
    if (display == NULL)
    {
        std::fprintf(stderr, "cannot open the display\n");
        return 1;
    }
    Window const window = static_cast<Window>(std::strtoul(argv[1], NULL, 0));
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    Status const sent = XSendEvent(display, window, False, NoEventMask, &event);
    XCloseDisplay(display);
    return sent != 0 ? 0 : 1;
}
