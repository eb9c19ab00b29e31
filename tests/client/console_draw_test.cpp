#include <gtest/gtest.h>

#include <utility>

#include "tests/client/console_test_client.h"

namespace kb {
namespace {

struct DrawClient : ConsoleTestClient {
  DrawClient() { fontLoaded = client.resources.fontNormal.Load("Arial", 11, false, false); }
  void OpenFull() {
    client.console.isOpen = 1;
    client.console.height = 219;
  }
  void Frame(int ms = 1) {
    clock.Advance(ms);
    DrawConsole(client);
  }
  // First and last panel row in which some pixel has exactly this colour.
  std::pair<int, int> RowsOf(Colour colour) const {
    const Image& panel = client.console.panel;
    int first = -1, last = -1;
    for (int y = 0; y < panel.Height(); ++y)
      for (int x = 0; x < 300; ++x)
        if (panel.Pixel(x, y) == colour) {
          if (first < 0) first = y;
          last = y;
          break;
        }
    return {first, last};
  }
  // The row offset of the test text's first fully covered pixel row below the point it is drawn at.
  int GlyphTop() {
    Image probe(300, 40, 0);
    client.resources.fontNormal.Draw(probe, 2, 0, "MMMMMMMMMM", LineColour(0));
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 300; ++x)
        if (probe.Pixel(x, y) == LineColour(0)) return y;
    return -1;
  }
  static Colour LineColour(int i) { return Rgb(10 + i * 9, 200 - i * 7, 60 + i * 5); }
  bool fontLoaded = false;
};

// Distinct colours far from white and amber, one per line.
Colour LineColour(int i) { return DrawClient::LineColour(i); }

void PrintLines(Client& client, int count) {
  for (int i = 0; i < count; ++i) ConsolePrint(client, "MMMMMMMMMM", LineColour(i));
}

TEST(ConsoleDraw, FullConsoleEasesInAndOut) {
  DrawClient d;
  d.client.console.isOpen = 1;
  std::vector<int> heights;
  for (int i = 0; i < 200 && d.client.console.height < 220; ++i) {
    d.Frame();
    heights.push_back(d.client.console.height);
  }
  ASSERT_EQ(heights.back(), 220);
  EXPECT_EQ(heights[0], 1);
  EXPECT_EQ(heights[1], 2);
  for (size_t i = 1; i < heights.size(); ++i) EXPECT_GT(heights[i], heights[i - 1]);
  d.Frame();
  EXPECT_EQ(d.client.console.height, 220);

  d.client.console.isOpen = 0;
  d.Frame();
  EXPECT_EQ(d.client.console.height, 219);
  for (int i = 0; i < 200 && d.client.console.height > 0; ++i) d.Frame();
  EXPECT_EQ(d.client.console.height, 0);
  d.Frame();
  EXPECT_EQ(d.client.console.height, 0);
}

TEST(ConsoleDraw, SmallConsoleMovesTwoPixelsToTheInputBar) {
  DrawClient d;
  d.client.console.isOpen = 1;
  d.client.console.isSmall = 1;
  for (int i = 0; i < 11; ++i) d.Frame();
  EXPECT_EQ(d.client.console.height, 22);
  d.Frame();
  EXPECT_EQ(d.client.console.height, 22);
  // A full console switched to small eases up to 22 without passing it.
  d.client.console.height = 220;
  d.Frame();
  EXPECT_EQ(d.client.console.height, 219);
  for (int i = 0; i < 300; ++i) {
    d.Frame();
    ASSERT_GE(d.client.console.height, 22);
  }
  EXPECT_EQ(d.client.console.height, 22);
  d.client.console.isOpen = 0;
  d.client.console.height = 3;
  d.Frame();
  d.Frame();
  EXPECT_EQ(d.client.console.height, 0);
}

TEST(ConsoleDraw, PanelLayoutAndPlacement) {
  DrawClient d;
  d.client.screen.Clear(Rgb(1, 2, 3));
  d.client.console.isOpen = 1;
  d.client.console.isSmall = 1;
  d.client.console.height = 20;
  d.Frame();
  ASSERT_EQ(d.client.console.height, 22);
  const Image& panel = d.client.console.panel;
  EXPECT_EQ(panel.Pixel(0, 100), kConsoleWhite);
  EXPECT_EQ(panel.Pixel(799, 100), kConsoleWhite);
  EXPECT_EQ(panel.Pixel(400, 21), kConsoleWhite);
  EXPECT_EQ(panel.Pixel(400, 198), kConsoleWhite);
  EXPECT_EQ(panel.Pixel(400, 100), 0u);
  EXPECT_EQ(panel.Pixel(790, 10), 0u);
  EXPECT_EQ(panel.Pixel(790, 210), 0u);
  // Only the input bar is on screen: panel rows 198..219 at screen rows 0..21.
  EXPECT_EQ(d.client.screen.Pixel(400, 0), kConsoleWhite);
  EXPECT_EQ(d.client.screen.Pixel(790, 10), 0u);
  EXPECT_EQ(d.client.screen.Pixel(400, 21), kConsoleWhite);
  EXPECT_EQ(d.client.screen.Pixel(400, 22), Rgb(1, 2, 3));
}

TEST(ConsoleDraw, ClosedConsoleLeavesTheScreenAlone) {
  DrawClient d;
  d.client.screen.Clear(Rgb(1, 2, 3));
  d.Frame();
  for (int x = 0; x < 800; x += 50) EXPECT_EQ(d.client.screen.Pixel(x, 0), Rgb(1, 2, 3));
}

TEST(ConsoleDraw, HistoryAnchorsAtTheTopUpToEightLines) {
  DrawClient d;
  if (!d.fontLoaded) GTEST_SKIP() << "no Arial-compatible face";
  PrintLines(d.client, 8);
  d.OpenFull();
  d.Frame();
  int top = d.GlyphTop();
  for (int i = 0; i < 8; ++i) {
    auto [first, last] = d.RowsOf(LineColour(i));
    EXPECT_EQ(first, 23 + 20 * i + top) << i;
    EXPECT_LT(last, 43 + 20 * i) << i;
  }
}

TEST(ConsoleDraw, NinthLineAnchorsTheNewestAtTheBottom) {
  DrawClient d;
  if (!d.fontLoaded) GTEST_SKIP() << "no Arial-compatible face";
  PrintLines(d.client, 9);
  d.OpenFull();
  d.Frame();
  int top = d.GlyphTop();
  auto [first, last] = d.RowsOf(LineColour(8));
  EXPECT_EQ(first, 180 + top);
  EXPECT_LT(last, 199);
  EXPECT_EQ(d.RowsOf(LineColour(7)).first, 160 + top);
  auto oldest = d.RowsOf(LineColour(0));
  EXPECT_GE(oldest.first, 22);
  EXPECT_LT(oldest.second, 40);
  // Scrolled by 8 with few lines: still drawn from the bottom.
  DrawClient s;
  PrintLines(s.client, 3);
  s.client.console.scroll = 8;
  s.OpenFull();
  s.Frame();
  EXPECT_EQ(s.RowsOf(LineColour(2)).first, 188 + top);
  EXPECT_EQ(s.RowsOf(LineColour(0)).first, 148 + top);
}

TEST(ConsoleDraw, ScrolledHistoryShowsOlderLines) {
  DrawClient d;
  if (!d.fontLoaded) GTEST_SKIP() << "no Arial-compatible face";
  PrintLines(d.client, 20);
  d.client.console.scroll = 224;
  d.OpenFull();
  d.Frame();
  // Scrolled fully back the oldest line sits just below the title bar.
  auto [first, last] = d.RowsOf(LineColour(0));
  EXPECT_EQ(first, 24 + d.GlyphTop());
  EXPECT_LT(last, 44);
  EXPECT_EQ(d.RowsOf(LineColour(19)).first, -1);
}

TEST(ConsoleDraw, CaretBlinksEveryHalfSecondAfterTheInput) {
  DrawClient d;
  if (!d.fontLoaded) GTEST_SKIP() << "no Arial-compatible face";
  d.client.console.isOpen = 1;
  d.client.console.height = 219;
  d.client.console.input = "abc";
  int x = d.client.resources.fontNormal.TextWidth("abc") + 3;
  d.client.console.caretTime = d.clock.Now();
  d.client.console.caretOn = 0;
  d.Frame(500);
  EXPECT_EQ(d.client.console.caretOn, 0);
  EXPECT_NE(d.client.console.panel.Pixel(x, 208), kConsoleWhite);
  d.Frame(1);
  EXPECT_EQ(d.client.console.caretOn, 1);
  EXPECT_EQ(d.client.console.panel.Pixel(x, 201), kConsoleWhite);
  EXPECT_EQ(d.client.console.panel.Pixel(x, 216), kConsoleWhite);
  EXPECT_NE(d.client.console.panel.Pixel(x, 217), kConsoleWhite);
  d.Frame(501);
  EXPECT_EQ(d.client.console.caretOn, 0);
  // Title in white in the title bar.
  auto [first, last] = d.RowsOf(kConsoleWhite);
  EXPECT_EQ(first, 0);
  bool titleText = false;
  for (int y = 2; y < 20; ++y)
    for (int xx = 2; xx < 150; ++xx) titleText |= d.client.console.panel.Pixel(xx, y) == kConsoleWhite;
  EXPECT_TRUE(titleText);
}

}  // namespace
}  // namespace kb
