// Apart from the tests: Xlib's macros clash with GoogleTest's names.
#include <X11/Xlib.h>

#include <cstdio>
#include <string>

namespace kb {

bool RequestClose(const std::string& title) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  FILE* search = popen(("xdotool search --name '^" + title + "$'").c_str(), "r");
  unsigned long id = 0;
  if (!search || std::fscanf(search, "%lu", &id) != 1) id = 0;
  if (search) pclose(search);
  if (id) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = id;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, id, False, NoEventMask, &event);
    XFlush(display);
  }
  XCloseDisplay(display);
  return id != 0;
}

}  // namespace kb
