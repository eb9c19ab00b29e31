#include <gtest/gtest.h>

#include "client/core/server_list_hooks.h"
#include "client/ui/load_resources.h"
#include "client/ui/put_text.h"
#include "client/ui/server_list_view.h"
#include "tests/client/spine_harness.h"

namespace kb {
namespace {

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kLockLight = Rgb(10, 200, 30);
constexpr Colour kLockDark = Rgb(200, 10, 30);
constexpr Colour kBar = Rgb(0, 90, 0);
constexpr Colour kBarOff = Rgb(80, 80, 80);

// A list screen with real fonts and single-colour padlocks and buttons.
struct DrawnList : SpineClient {
  DrawnList(int state, std::vector<ServerListEntry> entries, bool searching = false) {
    Resources& res = client.resources;
    LoadFonts(res);
    res.lockIconOnLight = Image(9, 14, kLockLight);
    res.lockIconOnDark = Image(9, 14, kLockDark);
    res.buttonFace = Image(180, 52, kBar);
    res.buttonGlow = Image(180, 52, kBar);
    res.buttonFaceOff = Image(180, 52, kBarOff);
    BuildButtonSprites(client);
    client.frame.gameState = state;
    ServerList& list = client.serverList.tasks.List();
    uint64_t token = list.Begin();
    for (ServerListEntry& e : entries) list.Add(token, e, false);
    if (!searching) list.Finish(token);
  }
  Colour At(int x, int y) const { return display.lastFrame.Pixel(x, y); }
  Font& Normal() { return client.resources.fontNormal; }
  // The frame's pixels inside the box equal the expected picture's.
  bool Matches(const Image& expected, int x0, int y0, int x1, int y1) const {
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x)
        if (At(x, y) != expected.Pixel(x, y)) return false;
    return true;
  }
};

TEST(ServerListDrawing, SearchingAndEmptyTextsInsideTheFrame) {
  struct Case {
    int state;
    bool searching;
    const char* text;
  } cases[] = {
      {kStateNetLan, true, "Suche nach Servern..."},
      {kStateNetWeb, true, "Lade Serverliste..."},
      {kStateNetLan, false, "Keine Server gefunden."},
      {kStateNetWeb, false, "Keine Server gefunden."},
  };
  for (const Case& c : cases) {
    DrawnList d(c.state, {}, c.searching);
    d.Frame();
    Image expected(800, 600);
    expected.FillBox(201, 121, 398, 388, 0);
    PutText(expected, d.Normal(), 203, 123, c.text, kWhite);
    for (auto [x, y] : {std::pair{200, 120}, {599, 120}, {200, 509}, {599, 509}, {400, 120}, {200, 300}})
      EXPECT_EQ(d.At(x, y), kWhite) << c.text << " frame at " << x << "," << y;
    EXPECT_TRUE(d.Matches(expected, 201, 121, 598, 508)) << c.text;
    EXPECT_EQ(d.client.frame.helpLine, c.state == kStateNetLan ? kNetLanHelp : kNetWebHelp);
    // No server to connect to: the "Verbinden" button is off.
    int buttonX = c.state == kStateNetLan ? 225 : 315;
    EXPECT_EQ(d.At(buttonX - 3, 517), kBarOff) << c.text;
  }
}

TEST(ServerListDrawing, RowsHighlightPadlocksAndRightAlignedCounts) {
  std::vector<ServerListEntry> entries = {
      {"Alpha", "127.0.0.1", 1, 3, 0}, {"Beta", "127.0.0.1", 2, 12, 1}, {"Gamma", "127.0.0.1", 3, 7, 1}};
  for (int state : {kStateNetLan, kStateNetWeb}) {
    bool lan = state == kStateNetLan;
    DrawnList d(state, entries);
    d.client.serverList.selectedServer = 1;
    d.Frame();
    Font& font = d.Normal();
    int h = font.TextHeight("Beta");
    // The expected inside of the frame, drawn row by row.
    Image expected(800, 600);
    expected.FillBox(202, 142, 396, h + 2, kWhite);
    for (int i = 0; i < 3; ++i) {
      const ServerListEntry& e = entries[i];
      int y = 123 + 20 * i;
      Colour text = i == 1 ? 0 : kWhite;
      PutText(expected, font, 203, y, e.name, text);
      if (e.hasPassword) expected.FillBox(585, y + 2, 9, 14, i == 1 ? kLockLight : kLockDark);
      std::string players = std::to_string(e.players);
      if (lan)
        PutText(expected, font, (e.hasPassword ? 582 : 595) - font.TextWidth(players), y, players, text);
    }
    EXPECT_TRUE(d.Matches(expected, 201, 121, 598, 508)) << state;
    // The places that matter, named: highlight edges, padlocks, count ends.
    EXPECT_EQ(d.At(202, 142), kWhite);
    EXPECT_EQ(d.At(597, 142 + h + 1), kWhite);
    EXPECT_EQ(d.At(597, 142 + h + 2), 0u);
    EXPECT_EQ(d.At(598, 142), 0u);
    EXPECT_EQ(d.At(589, 150), kLockLight);
    EXPECT_EQ(d.At(589, 170), kLockDark);
    EXPECT_EQ(d.At(589, 130), 0u);
    auto rightmostLit = [&](int y0, Colour background) {
      for (int x = 597; x > 540; --x)
        for (int y = y0; y < y0 + h; ++y)
          if (d.At(x, y) != background && d.At(x, y) != kLockLight && d.At(x, y) != kLockDark) return x;
      return 0;
    };
    if (lan) {
      EXPECT_LE(rightmostLit(123, 0), 595);  // "3", no padlock
      EXPECT_GT(rightmostLit(123, 0), 588);
      EXPECT_LE(rightmostLit(163, 0), 582);  // "7", beside the padlock
      EXPECT_GT(rightmostLit(163, 0), 575);
    } else {
      EXPECT_EQ(rightmostLit(123, 0), 0);  // no counts on the Internet list
    }
    EXPECT_EQ(d.At((lan ? 225 : 315) - 3, 517), kBar);
  }
}

// Texts too wide for their box are cut where drawn, with "...", never stored
// cut: a long name ends before the count and padlock of its row.
TEST(ServerListDrawing, LongTextsAreCutToTheirBox) {
  const std::string wide(64, 'W');
  DrawnList d(kStateNetLan, {{wide, "127.0.0.1", 1, 12, 1}});
  d.client.serverList.selectedServer = 0;  // a white bar: any text pixel shows
  Font& font = d.Normal();
  EXPECT_EQ(FitText(font, "Beta", 50), "Beta");
  for (int width : {0, 30, 200}) {
    std::string start = FitText(font, wide, width), end = FitTextEnd(font, wide, width);
    EXPECT_TRUE(start.ends_with("...") && end.starts_with("...")) << width;
    EXPECT_LE(font.TextWidth(start), std::max(width, font.TextWidth("...")));
    EXPECT_LE(font.TextWidth(end), std::max(width, font.TextWidth("...")));
    EXPECT_GT(font.TextWidth(start + "W"), width);  // nothing more would fit
  }
  d.Frame();
  EXPECT_EQ(d.client.serverList.tasks.List().Entries().at(0).name, wide);
  int countStart = 582 - font.TextWidth("12");
  for (int x = countStart - 5; x < countStart; ++x)
    for (int y = 123; y < 123 + font.TextHeight(wide); ++y) EXPECT_EQ(d.At(x, y), kWhite) << x << "," << y;
}

}  // namespace
}  // namespace kb
