/* send_delete: asks an X11 window to close the way a window manager's close button does,
 * by sending it a WM_PROTOCOLS client message carrying WM_DELETE_WINDOW.
 *
 *   send_delete WINDOW_ID        (decimal, or hex with a 0x prefix)
 *
 * xdotool's windowclose destroys the window outright instead, which no real desktop does.
 * Exits 0 once the message has reached the X server, 1 on a bad argument, 2 without a display.
 */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s WINDOW_ID\n", argv[0]);
    return 1;
  }
  char* end = NULL;
  const unsigned long id = strtoul(argv[1], &end, 0);
  if (end == argv[1] || *end != '\0' || id == 0) {
    fprintf(stderr, "%s: not a window id: %s\n", argv[0], argv[1]);
    return 1;
  }
  Display* display = XOpenDisplay(NULL);
  if (display == NULL) {
    fprintf(stderr, "%s: cannot open the display\n", argv[0]);
    return 2;
  }
  XEvent event;
  memset(&event, 0, sizeof event);
  event.xclient.type = ClientMessage;
  event.xclient.window = (Window)id;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, (Window)id, False, NoEventMask, &event);
  XSync(display, False);
  XCloseDisplay(display);
  return 0;
}
