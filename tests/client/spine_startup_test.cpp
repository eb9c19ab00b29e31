#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <tuple>

#include "client/app/frame_loop.h"
#include "client/app/sound_output.h"
#include "client/app/startup_watchdog.h"
#include "client/ui/settings.h"
#include "tests/client/harness.h"
#include "tests/platform/temp_dir.h"

namespace kb {
namespace {

const char kNoWindow[] =
    "Es konnte kein Fenster ge\xF6"
    "ffnet werden.";

const char kGarbage[] = "\x89PNG\r\n\0\0X 40\n]Window[\nY=";

// A fresh temporary folder as home and current directory, for a client of type Base (TestClient as before
// start-up, SpineClient as after it).
template <class Base>
struct At : TempWorkDir, Base {
  At() { Base::client.config.filePath = SettingsPath(Path()); }
  std::string Ini() { return Read("Kringelbahn.ini"); }
};
using HomeClient = At<TestClient>;

// No file, a broken one or bad values give the centred default (the fake desktop is 1920 x 1080) and a
// window; a place off the desktop falls back to it.
TEST(Settings, DefaultsBadValuesAndPlacesOffTheDesktop) {
  struct Case { std::string text; int x, y, fullScreen, volume = kDefaultVolume; };
  auto place = [](int x, int y) { return "[Window]\nX = " + std::to_string(x) + "\nY = " + std::to_string(y) + "\n"; };
  std::vector<Case> cases = {{"", 560, 240, 0},
                             {std::string(kGarbage, sizeof kGarbage - 1), 560, 240, 0},
                             {"[Window]\nX = abc\nY = 7\nFullscreen = 5\nVolume = 250\n", 0, 7, 1, 100},
                             {"[Window]\nX = -12\nFullscreen = -1\nVolume = -3\n", -12, 240, 1, 0},
                             {"[Window]\nVolume = 7\n", 560, 240, 0, 7}};
  for (auto [x, y, kept] : {std::tuple{-2147483647 - 1, 0, false}, {1820, 100, true}, {1821, 100, false},
                            {-700, 100, true}, {-701, 100, false}, {0, -25, true}, {0, -26, false}, {0, 1030, true},
                            {0, 1031, false}})
    cases.push_back({place(x, y), kept ? x : 560, kept ? y : 240, 0});
  for (const Case& k : cases) {
    HomeClient c;
    if (!k.text.empty()) c.Write("Kringelbahn.ini", k.text);
    c.client.config.windowX = c.client.config.windowY = 99;
    c.client.config.fullScreenMode = 1;
    c.client.config.soundVolume = 99;
    LoadSettings(c.client.config, c.display);
    EXPECT_EQ(c.client.config.soundVolume, k.volume) << k.text;
    EXPECT_EQ(c.client.config.windowX, k.x) << k.text;
    EXPECT_EQ(c.client.config.windowY, k.y) << k.text;
    EXPECT_EQ(c.client.config.fullScreenMode, k.fullScreen) << k.text;
  }
}

// Full screen keeps the place read at start; a window saves where it is.
TEST(Settings, SaveWritesTheWindowsPlace) {
  HomeClient c;
  c.Write("Kringelbahn.ini", "[Window]\r\nX = 10\r\nY = 20\r\nFullscreen = 1\r\n");
  LoadSettings(c.client.config, c.display);
  c.display.Open(true, 0, 0);
  SaveSettings(c.client.config, c.display);
  EXPECT_EQ(c.Ini(), "[Window]\r\nX = 10\r\nY = 20\r\nFullscreen = 1\r\nVolume = 40\r\n");
  c.display.Open(false, 123, -4);
  c.client.config.fullScreenMode = 0;
  c.client.config.soundVolume = 0;
  SaveSettings(c.client.config, c.display);
  EXPECT_EQ(c.Ini(), "[Window]\r\nX = 123\r\nY = -4\r\nFullscreen = 0\r\nVolume = 0\r\n");
}

TEST(StartupWatchdog, FiresOnlyForAStartThatNeverShowsAFrame) {
  using std::chrono::milliseconds;
  // limit in ms, a frame shown, disarmed, fires
  for (auto [limit, started, disarm, fires] :
       {std::tuple{0, false, false, true}, {0, true, false, false}, {600000, false, true, false}}) {
    std::atomic<int> fired{0};
    {
      StartupWatchdog watchdog(
          milliseconds(limit), [started = started] { return started; }, [&] { ++fired; });
      if (disarm) watchdog.Disarm();
      for (int i = 0; fires && i < 5000 && fired == 0; ++i) std::this_thread::sleep_for(milliseconds(1));
    }  // joins the watchdog's thread
    EXPECT_EQ(fired, fires ? 1 : 0) << limit << " " << started << " " << disarm;
  }
}

// Autoexec scripts and a display that cannot open are shown by the process tests.
TEST(StartClient, OpensAsTheFileSaysFillsTheTablesAndDecodesEveryPicture) {
  HomeClient s;
  s.Write("Kringelbahn.ini", "[Window]\r\nFullscreen = 1\r\nPad2 = 030000005e0400008e02000014010000#2\r\n");
  ASSERT_EQ(StartClient(s.client), "");
  EXPECT_TRUE(s.display.open && s.display.fullScreen);
  Client& c = s.client;
  EXPECT_EQ(c.round.players[1].padId + c.round.players[0].padId, "030000005e0400008e02000014010000#2");
  EXPECT_EQ(c.frame.gameState, kStateMenu);
  EXPECT_EQ(c.round.upgradesOption + c.round.confusionOption, 2);
  EXPECT_FALSE(c.menuButtons.empty());
  // Both kinds of carried picture (PNG, BMP) decode; the fonts load.
  EXPECT_GT(c.resources.titleBanner.Width() * c.resources.lockIconOnDark.Width(), 0);
  EXPECT_TRUE(c.resources.fontHuge.Loaded());
}

// The output opens at start unless the saved volume is 0, then when the volume is raised; a missing device is
// told once and never asked again. Every effect is short and well below full scale.
TEST(SoundOutput, OpensWhenHeardSaysOnceWhenMissingAndPlaysAtTheVolume) {
  struct FakeAudio : Audio {
    bool Open(std::vector<SoundSamples> bank) override { return ++opens, sounds = std::move(bank), works; }
    void Play(int sound, int volume) override { played.push_back({sound, volume}); }
    bool works = true;
    int opens = 0;
    std::vector<SoundSamples> sounds;
    std::vector<std::pair<int, int>> played;
  };
  const std::string missing = "Kein Audioger\xE4t gefunden: das Spiel bleibt stumm.";
  for (auto [ini, works] : {std::tuple{"", true}, {"[Window]\r\nVolume = 0\r\n", true}, {"", false}}) {
    HomeClient s;
    FakeAudio audio;
    audio.works = works;
    s.client.audio = &audio;
    s.Write("Kringelbahn.ini", ini);
    ASSERT_EQ(StartClient(s.client), "");
    EXPECT_EQ(audio.opens, s.client.sound.volume == 0 ? 0 : 1) << ini;
    s.client.sound.volume = 30;
    for (int i = 0; i < 3; ++i) QueueSound(s.client.sound, SoundEffect::kCrash), PlaySounds(s.client);
    EXPECT_EQ(audio.opens, 1);
    Strings texts = s.Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), missing), works ? 0 : 1);
    EXPECT_EQ(audio.played.size(), works ? 3u : 0u);
    for (auto [sound, volume] : audio.played) EXPECT_TRUE(sound == 2 && volume == 30);
    ASSERT_EQ(audio.sounds.size(), size_t{kSoundEffects});
    for (const SoundSamples& sound : audio.sounds) {
      EXPECT_TRUE(sound.size() > 100 && sound.size() < size_t{kSoundRate});
      EXPECT_LT(*std::max_element(sound.begin(), sound.end()), 16384);
    }
  }
}

TEST(FrameLoop, EndsOnEscapeOrCloseAndSavesUnlessTheDisplayFailed) {
  struct Case {
    int key, state;
    bool close, failOpen;
    int presented;
  };
  for (Case k : {Case{scan::kEscape, kStateMenu, false, false, 0}, Case{0, kStateGame, true, false, 1},
                 Case{scan::kF, kStateMenu, false, true, 0}}) {
    At<SpineClient> c;
    c.display.Open(false, 321, 5);
    c.client.frame.gameState = k.state;
    c.client.sound.volume = 7;
    c.display.closeRequested = k.close;
    c.display.failOpen = k.failOpen;
    if (k.key) c.input.SetKey(k.key, true);
    if (k.failOpen) c.input.SetKey(scan::kLeftCtrl, true);
    c.client.round.players[3].padId = "pad";
    RunFrameLoop(c.client);
    EXPECT_EQ(c.display.presented, k.presented);
    if (k.failOpen) {
      EXPECT_EQ(c.client.fatalError, kNoWindow);
      EXPECT_EQ(c.client.config.fullScreenMode, 0);
      EXPECT_FALSE(std::ifstream(c.client.config.filePath).good());
    } else {
      EXPECT_EQ(c.Ini(), "[Window]\r\nX = 321\r\nY = 5\r\nFullscreen = 0\r\nVolume = 7\r\nPad4 = pad\r\n");
    }
  }
}

}  // namespace
}  // namespace kb
