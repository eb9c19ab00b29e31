#include <gtest/gtest.h>

#include "tests/client/console_test_client.h"

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
  if (!DrawClient().fontLoaded) GTEST_SKIP() << "no Arial-compatible face";
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

}  // namespace
}  // namespace kb
