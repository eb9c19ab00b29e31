#pragma once

#include <string>
#include <vector>

namespace kb {

// One game controller in a snapshot. left and right gather the D-pad, the
// shoulder buttons and the left stick past its dead zone; use is the lower
// face button.
struct PadState {
  // Stable across unplugging and restarts: the controller's GUID, with "#2",
  // "#3"... for further pads of the same kind, in the order they came.
  std::string id = {};
  bool left = false, right = false, use = false, start = false, back = false;
  bool operator==(const PadState&) const = default;
};

// A finger on a touch screen in a snapshot, at 800 x 600 frame coordinates
// (off the frame when the picture is letterboxed).
struct TouchPoint {
  int x = 0, y = 0;
  bool operator==(const TouchPoint&) const = default;
};

// What the client reads of keyboard and mouse. The SDL implementation lives
// in common/platform/sdl; tests use a scripted fake.
class Input {
 public:
  virtual ~Input() = default;

  // Takes this frame's snapshot of all keys and the mouse.
  virtual void Poll() = 0;
  // Whether the key (scan-code set 1, extended + 128) was down in the snapshot.
  virtual bool KeyDown(int scanCode) const = 0;
  // True while the virtual key is down, or when it was pressed since the
  // previous query of the same code; the query clears that "pressed since".
  virtual bool AsyncKey(int virtualKey) = 0;
  // Mouse position in 800 x 600 frame coordinates.
  virtual int MouseX() const = 0;
  virtual int MouseY() const = 0;
  // The Latin-1 character the virtual key gives under the keyboard layout and
  // the modifiers held now, or 0.
  virtual int KeyToChar(int virtualKey) = 0;
  // The clipboard's text in Latin-1, empty when there is none.
  virtual std::string ClipboardText() = 0;
  // Text typed without key presses since the previous snapshot (a phone's
  // on-screen keyboard), in Latin-1 ('?' for what Latin-1 lacks).
  virtual std::string TypedText() const { return {}; }
  // The game controllers connected at the snapshot, in the order they came.
  virtual std::vector<PadState> Pads() const { return {}; }
  // The fingers on a touch screen at the snapshot, and those that touched and
  // left since the previous one (a tap shorter than a frame is seen once).
  // They press no mouse button: the core decides what a finger does.
  virtual std::vector<TouchPoint> Touches() const { return {}; }
};

}  // namespace kb
