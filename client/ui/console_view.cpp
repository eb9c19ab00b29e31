#include "client/ui/console_view.h"

#include "client/console/console.h"

namespace kb {

namespace {

constexpr int kFullHeight = kConsolePanelHeight;
constexpr int kSmallHeight = 22;
constexpr int kLineHeight = 20;
constexpr int kCaretBlink = 500;

// Integer easing: slow at both ends of the 220 pixels.
void Slide(ConsoleState& console, bool open) {
  int& h = console.height;
  if (console.isSmall) {
    if (open) {
      if (h < kSmallHeight)
        h += 2;
      else if (h > kSmallHeight)
        h = h - ((h - kSmallHeight) * (kFullHeight - h)) / 500 - 1;
    } else if (h > 0) {
      h -= 2;
    }
  } else {
    if (open) {
      if (h < kFullHeight) h = h + (h * (kFullHeight - h)) / 500 + 1;
    } else if (h > 0) {
      h = h - (h * (kFullHeight - h)) / 500 - 1;
    }
  }
  if (h < 0) h = 0;
}

void DrawHistory(const ConsoleState& console, const ConsoleLines& lines, Image& panel, Font& font) {
  size_t n = lines.Size();
  if (n > 8 || console.scroll != 0) {
    // Newest line at the bottom; only the lines that can reach the area are fetched.
    size_t visible = static_cast<size_t>((180 + console.scroll) / kLineHeight) + 2;
    size_t first = n > visible ? n - visible : 0;
    std::vector<ConsoleLine> shown = lines.Range(first, visible);
    int y = 180 + console.scroll;
    for (auto line = shown.rbegin(); line != shown.rend(); ++line, y -= kLineHeight)
      font.Draw(panel, 2, y, line->text, line->colour);
  } else {
    int y = 23;
    for (const ConsoleLine& line : lines.Range(0, 8)) {
      font.Draw(panel, 2, y, line.text, line.colour);
      y += kLineHeight;
    }
  }
}

}  // namespace

void DrawConsole(Image& screen, Font& font, ConsoleState& console, Model& model) {
  Slide(console, model.consoleOpen != 0);

  // A closed console is entirely above the screen: only the shared caret blinks on.
  TypingState& typing = model.typing;
  int64_t now = model.clock.Now();
  if (now - typing.caretTime > kCaretBlink) {
    typing.caretOn = 1 - typing.caretOn;
    typing.caretTime = now;
  }
  if (console.height <= 0) return;

  Image& panel = console.panel;
  panel.Clear(kConsoleWhite);
  panel.FillBox(1, 22, 798, 176, 0);
  DrawHistory(console, model.consoleLines, panel, font);
  panel.FillBox(1, 1, 798, 20, 0);
  panel.FillBox(1, 199, 798, 20, 0);
  font.Draw(panel, 2, 2, std::string(kVersionText) + " Konsole", kConsoleWhite);
  font.Draw(panel, 2, 200, console.input, kConsoleWhite);

  if (typing.caretOn) {
    int x = font.TextWidth(console.input) + 3;
    panel.Line(x, 201, x, 216, kConsoleWhite);
  }

  screen.Draw(panel, 0, console.height - kConsolePanelHeight);
}

}  // namespace kb
