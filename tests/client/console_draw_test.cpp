#include <gtest/gtest.h>

#include "tests/client/console_test_client.h"
#include "tests/support/environment.h"

namespace kb {
namespace {

// Distinct colours far from white and amber, one per line.
Colour LineColour(int i) { return Rgb(10 + i * 9, 200 - i * 7, 60 + i * 5); }

struct DrawClient : ConsoleTestClient {
  explicit DrawClient(int lines = 0, int scroll = 0) {
    fontLoaded = client.resources.fontNormal.Load("Arial", 11, false, false);
    for (int i = 0; i < lines; ++i) ConsolePrint(client, "MMMMMMMMMM", LineColour(i));
    client.console.scroll = scroll;
    client.screen.Clear(Rgb(1, 2, 3));
  }
  int Frame(int ms = 1) {
    clock.Advance(ms);
    DrawConsole(client);
    return client.console.height;
  }
  // First panel row with a pixel of exactly this colour, relative to where a line drawn at y 0 starts.
  int RowOf(Colour colour) {
    auto firstRow = [&](const Image& image) {
      for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < 300; ++x)
          if (image.Pixel(x, y) == colour) return y;
      return -1;
    };
    Image probe(300, 40, 0);
    client.resources.fontNormal.Draw(probe, 2, 0, "MMMMMMMMMM", colour);
    int row = firstRow(client.console.panel);
    return row < 0 ? row : row - firstRow(probe);
  }
  bool fontLoaded = false;
};

TEST(ConsoleDraw, SlideEasesInAndOut) {
  DrawClient d;
  d.client.console.isOpen = 1;
  std::vector<int> heights;
  while (heights.size() < 200 && d.client.console.height < 220) heights.push_back(d.Frame());
  ASSERT_EQ(heights.back(), 220);
  EXPECT_EQ(heights[0], 1);
  for (size_t i = 1; i < heights.size(); ++i) EXPECT_GT(heights[i], heights[i - 1]);
  // Switched to small, it eases up to the input bar without passing it.
  d.client.console.isSmall = 1;
  EXPECT_EQ(d.Frame(), 219);
  for (int i = 0; i < 300; ++i) ASSERT_GE(d.Frame(), 22);
  EXPECT_EQ(d.client.console.height, 22);
  d.client.console.isOpen = 0;
  for (int i = 0; i < 20; ++i) d.Frame();
  EXPECT_EQ(d.client.console.height, 0);
}

TEST(ConsoleDraw, SmallPanelShowsOnlyTheInputBar) {
  DrawClient d;
  d.Frame();
  EXPECT_EQ(d.client.screen.Pixel(400, 0), Rgb(1, 2, 3));  // closed: untouched
  d.client.console.isOpen = d.client.console.isSmall = 1;
  d.client.console.height = 20;
  EXPECT_EQ(d.Frame(), 22);
  // Panel rows 198..219 (white frame, black inside) land on screen rows 0..21.
  EXPECT_EQ(d.client.screen.Pixel(400, 0), kConsoleWhite);
  EXPECT_EQ(d.client.screen.Pixel(790, 10), 0u);
  EXPECT_EQ(d.client.screen.Pixel(400, 21), kConsoleWhite);
  EXPECT_EQ(d.client.screen.Pixel(400, 22), Rgb(1, 2, 3));
}

TEST(ConsoleDraw, HistoryAnchoring) {
  if (!DrawClient().fontLoaded) KB_SKIP_OR_FAIL("no Arial-compatible face");
  // Up to 8 lines hang from the title bar, 20 pixels apart; from the 9th on, or when
  // scrolled, the newest sits on the input bar and older ones climb above it.
  // clang-format off
  struct Case { int lines, scroll, line, row; };
  for (const Case& c : {Case{8, 0, 0, 23}, {8, 0, 7, 163}, {9, 0, 8, 180}, {3, 8, 0, 148}, {20, 224, 0, 24}}) {
    // clang-format on
    DrawClient d(c.lines, c.scroll);
    d.client.console.isOpen = 1;
    d.client.console.height = 219;
    d.Frame();
    EXPECT_EQ(d.RowOf(LineColour(c.line)), c.row)
        << c.lines << " lines, scroll " << c.scroll << ", line " << c.line;
  }
}

TEST(ConsoleDraw, TitleAndABlinkingCaretBehindTheInput) {
  DrawClient d;
  ASSERT_TRUE(d.fontLoaded);
  ConsoleState& c = d.client.console;
  c.isOpen = 1;
  c.height = 219;
  c.input = "echo";
  const Image& panel = c.panel;
  auto whiteIn = [&](int x, int y, int w, int h) {
    int n = 0;
    for (int j = y; j < y + h; ++j)
      for (int i = x; i < x + w; ++i) n += panel.Pixel(i, j) == kConsoleWhite;
    return n;
  };
  int caretX = d.client.resources.fontNormal.TextWidth("echo") + 3;
  // The caret shows for 500 ms, then hides for 500 ms; the title stays.
  struct Step {
    int ms;
    bool caret;
  };
  d.Frame();
  bool on = c.caretOn != 0;
  for (Step s : {Step{0, on}, {500, on}, {1, !on}, {500, !on}, {1, on}}) {
    d.Frame(s.ms);
    EXPECT_EQ(whiteIn(caretX, 201, 1, 16) == 16, s.caret) << s.ms;
    EXPECT_EQ(whiteIn(caretX + 2, 201, 20, 16), 0);
    EXPECT_GT(whiteIn(2, 2, 200, 17), 60);  // "Kringelbahn 1.2.4 Konsole"
  }
  Image probe(300, 20);
  d.client.resources.fontNormal.Draw(probe, 0, 0, std::string(kVersionText) + " Konsole", kConsoleWhite);
  for (int y = 0; y < 18; ++y)
    for (int x = 0; x < 298; ++x) ASSERT_EQ(panel.Pixel(x + 2, y + 2), probe.Pixel(x, y)) << x << "," << y;
}

}  // namespace
}  // namespace kb
