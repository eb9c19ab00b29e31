#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "client/core/local_game.h"
#include "client/ui/game_view.h"
#include "client/ui/load_resources.h"
#include "client/ui/menu_view.h"
#include "client/ui/net_view.h"
#include "client/ui/put_text.h"
#include "client/ui/server_list_view.h"
#include "tests/client/harness.h"

namespace kb {
namespace {

// A client with real fonts and plain single-colour pictures.
struct Drawn : SpineClient {
  Drawn() {
    Resources& res = client.resources;
    LoadFonts(res);
    for (int k = 1; k <= 3; ++k) res.itemIcons[k] = Image(20, 20, Rgb(10, 200, 30 + k));
    res.lockIconOnLight = Image(9, 14, Rgb(10, 200, 30));
    res.lockIconOnDark = Image(9, 14, Rgb(200, 10, 30));
    res.cursorSprite = Image(12, 21, Rgb(1, 2, 3));
    client.screen.Clear(0);
  }
  void List(std::vector<ServerListEntry> entries, int count, int selected) {
    DrawServerList(client.screen, client.resources, entries, count, selected, true);
  }
  void Menu() { DrawMenuScreen(client.screen, client.resources, client.round, client.input); }
  void Net() { DrawNetGame(client.screen, client.resources, client); }
  void Manual() { DrawManualScreen(client.screen, client.resources, client.net); }
  void Local() { DrawLocalGame(client.screen, client.resources, client.round, client.frame, clock.Now()); }
};

size_t Lit(const Image& image) {
  size_t n = 0;
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x) n += image.Pixel(x, y) != 0;
  return n;
}

// The box around the pixels that differ between two frames: left, top, right, bottom; right is -1 for none.
std::array<int, 4> Differing(const Image& a, const Image& b) {
  std::array<int, 4> box{a.Width(), a.Height(), -1, -1};
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y))
        box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x), std::max(box[3], y)};
  return box;
}

// One screen drawn twice with one thing changed: the change must show (more marks with it on, or just a
// different frame) or must not show at all.
enum class Shows { kNothing, kChange, kMore };
struct Scene {
  std::string what;
  std::function<void(Drawn&, bool)> draw;
  Shows shows;
};

std::vector<Scene> Scenes() {
  std::vector<Scene> scenes = {
      // The other boxes draw as this one; with the upgrades box ticked it must still follow its own option.
      {"the confusion box", [](Drawn& d, bool on) { d.client.round.confusionOption = on, d.Menu(); },
       Shows::kMore},
      {"a plugged-in pad's slot",
       [](Drawn& d, bool on) {
         d.input.pads = {{.id = "p"}}, d.client.input.Poll(), d.client.round.players[1].padId = on ? "p" : "";
         d.Menu();
       },
       Shows::kMore},
      {"a finished empty search against a running one", [](Drawn& d, bool on) { d.List({}, on ? 0 : -1, 0); },
       Shows::kChange},
      {"the focused manual field", [](Drawn& d, bool on) { d.client.net.manualField = on, d.Manual(); },
       Shows::kChange},
      {"the server's pause over a running round",
       [](Drawn& d, bool on) {
         d.client.net.session.netMode = 8, d.client.net.session.serverPaused = on, d.Net();
       },
       Shows::kMore},
  };
  // The status bar names the server where no scores are shown; the score line has room for sixteen entries.
  for (int mode : {6, 8, 10, 19, 20, 21})
    scenes.push_back({"the server's name in mode " + std::to_string(mode),
                      [mode](Drawn& d, bool on) {
                        d.client.net.session.netMode = mode, d.client.serverLabel = on ? "Alpha" : "Omega";
                        d.Net();
                      },
                      mode == 8 ? Shows::kNothing : Shows::kChange});
  for (int entry : {15, 16})
    scenes.push_back({"score entry " + std::to_string(entry + 1),
                      [entry](Drawn& d, bool on) {
                        d.client.net.session.netMode = 8;
                        d.client.round.scoreList.assign(20, ScoreEntry{5, 0xFFFFFF, 0});
                        d.client.round.scoreList[entry].score = on ? 8 : 1;
                        d.Net();
                      },
                      entry < 16 ? Shows::kChange : Shows::kNothing});
  // The field's item and the pause notice show only in a running round.
  for (int state : {kStateGame, kStateStart, kStateEndRound}) {
    Shows running = state == kStateGame ? Shows::kMore : Shows::kNothing;
    scenes.push_back({"the field's item in state " + std::to_string(state),
                      [state](Drawn& d, bool on) {
                        RoundState& r = d.client.round;
                        d.client.frame.gameState = state;
                        r.itemKind = on ? 2 : 0, r.itemX = 300, r.itemY = 200;
                        r.itemAppear = d.clock.Now() - 1, r.itemVanish = d.clock.Now() + 1000;
                        d.Local();
                      },
                      running});
    scenes.push_back({"the local pause in state " + std::to_string(state),
                      [state](Drawn& d, bool on) {
                        d.client.frame.gameState = state, d.client.round.paused = on;
                        d.Local();
                      },
                      running});
  }
  return scenes;
}

TEST(ScreenDrawing, WhatIsShownFollowsTheState) {
  for (const Scene& scene : Scenes()) {
    SCOPED_TRACE(scene.what);
    Drawn off, on;
    scene.draw(off, false);
    scene.draw(on, true);
    const Image& a = off.display.presented ? off.display.lastFrame : off.client.screen;
    const Image& b = on.display.presented ? on.display.lastFrame : on.client.screen;
    EXPECT_EQ(Differing(a, b)[2] < 0, scene.shows == Shows::kNothing);
    if (scene.shows == Shows::kMore) {
      EXPECT_GT(Lit(b), Lit(a));
    }
  }
}

// Texts too wide for their box are cut where drawn, with "...".
TEST(ScreenDrawing, LongTextsAreCutToTheirBox) {
  Drawn d;
  Font& font = d.client.resources.fontNormal;
  const std::string wide = "Anfang" + std::string(64, 'W') + "Ende";
  EXPECT_EQ(FitText(font, "Beta", 50), "Beta");
  for (int width : {0, 30, 200}) {
    SCOPED_TRACE(width);
    std::string start = FitText(font, wide, width), end = FitTextEnd(font, wide, width);
    EXPECT_TRUE(start.ends_with("...") && end.starts_with("...")) << start << " " << end;
    EXPECT_TRUE(width < 200 || (start.starts_with("Anfang") && end.ends_with("Ende"))) << start << " " << end;
    EXPECT_LE(font.TextWidth(start), std::max(width, font.TextWidth("...")));
    EXPECT_LE(font.TextWidth(end), std::max(width, font.TextWidth("...")));
    EXPECT_GT(font.TextWidth(start.substr(0, start.size() - 3) + wide[start.size() - 3] + "..."), width);
  }
  // A long server name ends before the player count and padlock of its row.
  auto row = [](const std::string& name, int password) {
    Drawn r;
    r.List({{name, "127.0.0.1", 1, 12, password}}, 1, 0);
    return r.client.screen;
  };
  Image bare = row("", 1);
  int nameEnd = Differing(bare, row(wide, 1))[2];
  EXPECT_GE(nameEnd, 0) << "the name is drawn";
  EXPECT_LT(nameEnd, Differing(bare, row("", 0))[0]);
}

// The highlight covers the selected server's row: where its name is drawn, and not the next name.
TEST(ScreenDrawing, TheHighlightSitsOnTheSelectedRow) {
  auto list = [](int renamed, int selected) {
    Drawn d;
    std::vector<ServerListEntry> entries(3, ServerListEntry{"S", "127.0.0.1", 1, 2, 1});
    if (renamed >= 0) entries[renamed].name = "Wx";
    d.List(entries, 3, selected);
    return d.client.screen;
  };
  const Image none = list(-1, -1);
  for (int k : {0, 2}) {
    SCOPED_TRACE(k);
    auto name = Differing(none, list(k, -1)), highlight = Differing(none, list(-1, k));
    EXPECT_LE(highlight[1], name[1]);
    EXPECT_GE(highlight[3], name[3]);
    if (k == 0) {
      EXPECT_LT(highlight[3], Differing(none, list(1, -1))[1]);
    }
  }
}

TEST(ScreenDrawing, CountdownRoundsUpToWholeSeconds) {
  for (auto [ms, s] : {std::pair{2001, 3}, {2000, 2}, {1, 1}, {0, 0}, {-10, 0}, {2147483647, 2147484}})
    EXPECT_EQ(CountdownSeconds(ms), s) << ms;
}

TEST(ScreenDrawing, LocalConfusionFlashesAfterA200MillisecondFlicker) {
  Drawn d;
  d.client.frame.gameState = kStateGame;
  RoundState& r = d.client.round;
  auto flashAt = [&](int64_t since) {
    r.confusionStart = d.clock.Now() - since;
    r.confusionEnd = r.confusionStart + 3000;
    return IsFlashFrame(d.client.round, d.client.frame.gameState, d.clock.Now());
  };
  for (int since : {1, 25, 50, 200, 2999}) EXPECT_TRUE(flashAt(since)) << since;
  for (int since : {0, 26, 49, 199, 3000}) EXPECT_FALSE(flashAt(since)) << since;
  r.paused = 1;
  EXPECT_FALSE(flashAt(1)) << "paused";
}

}  // namespace
}  // namespace kb
