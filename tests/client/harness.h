#pragma once

#include <chrono>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "client/console/command_registry.h"
#include "client/console/console.h"
#include "client/app/client.h"
#include "client/core/game_state.h"
#include "client/core/net_connection.h"
#include "client/ui/button.h"
#include "client/app/draw_frame.h"
#include "client/app/frame_loop.h"
#include "client/app/startup.h"
#include "common/net/protocol.h"
#include "common/platform/core/keys.h"
#include "tests/platform/temp_dir.h"
#include "tests/support/fake_display.h"
#include "tests/support/fake_input.h"

namespace kb {

using Strings = std::vector<std::string>;

// A client on a manual clock, a seeded random source and fake devices.
struct TestClient {
  ManualClock clock{100000};
  Random random{12345};
  FakeInput input;
  FakeDisplay display;
  Client client{clock, random, input, display};

  Strings Texts() const {
    Strings texts;
    for (const ConsoleLine& line : client.consoleLines.Snapshot()) texts.push_back(line.text);
    return texts;
  }
  // Plays a fading change of screen to its end as the frame loop would, the clock moving with it.
  void Settle() {
    for (int i = 0; i < 1000 && PlayStateChange(client); ++i) clock.Advance(1);
  }
  std::vector<Colour> Colours() const {
    std::vector<Colour> colours;
    for (const ConsoleLine& line : client.consoleLines.Snapshot()) colours.push_back(line.colour);
    return colours;
  }
};

// With every console command registered and message boxes recorded instead of shown.
struct ConsoleTestClient : TestClient {
  ConsoleTestClient() {
    RegisterCommands(client.console);
    client.console.hooks.messageBox = [this](const std::string& title, const std::string& text, bool warning) {
      boxes.push_back(title + "|" + text + (warning ? "|warning" : "|info"));
    };
  }
  int Run(const std::string& line, int fromScript = 0, const std::string& script = "") {
    return DispatchCommand(client.commands, line, fromScript, script);
  }
  void RunAll(std::initializer_list<const char*> lines, int fromScript = 0, const std::string& script = "") {
    for (const char* line : lines) Run(line, fromScript, script);
  }
  Strings boxes;
};

// A fresh directory that is the current directory while the object lives.
struct TempWorkDir : TempDir {
  TempWorkDir() { std::filesystem::current_path(Path()); }
  ~TempWorkDir() { std::filesystem::current_path(previous); }
  std::filesystem::path previous = std::filesystem::current_path();
};

// As start-up leaves it (tables, buttons, the menu, an open window), driven one frame at a time as the frame
// loop does.
struct SpineClient : TestClient {
  SpineClient() {
    client.frame.gameState = kStateMenu;
    client.round.upgradesOption = client.round.confusionOption = 1;
    InitPlayerTable(client.round);
    AddMenuButtons(client.menuButtons);
    display.Open(false, 100, 80);
    client.openUrl = [this](const std::string& url) { openedUrls.push_back(url); };
  }
  void Frame() {  // one pass of the frame loop, 1 ms after the last, and a fade it starts
    UpdateFrame(client);
    DrawFrame(client);
    Settle();
    clock.Advance(1);
  }
  void Frames(int n) {
    for (int i = 0; i < n; ++i) Frame();
  }
  // Frames until done says so, for at most ten seconds of real time (sockets and threads run beside them).
  template <typename Done>
  void Passes(Done done) {
    for (int i = 0; i < 10000 && !done(); ++i) Frame(), std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  void Tap(int scanCode) {  // held for one frame, released in the next
    input.SetKey(scanCode, true), Frame(), input.SetKey(scanCode, false), Frame();
  }
  void Click(int x, int y) {
    input.MoveMouse(x, y);
    input.SetVirtualKey(vk::kLeftButton, true), Frame(), input.SetVirtualKey(vk::kLeftButton, false), Frame();
  }
  int State() const { return client.frame.gameState; }
  Strings openedUrls;
};

// The server's end of a scripted link.
struct ScriptedPeer {
  std::deque<std::string> chunks;  // one Receive each
  bool closed = false;             // Receive reports -1 once the chunks are used up
  bool failFlush = false;          // a server that stopped reading
  bool failSend = false;           // a send the link refuses
  std::string queued, flushed;
  int drains = 0;
  bool destroyed = false;

  // Flushed messages with the separators as blanks, PING left out.
  Strings Said() const {
    Strings out;
    for (const std::string_view m : SplitMessages(flushed)) {
      std::string text(m);
      for (char& c : text) c = c == kFieldSeparator ? ' ' : c;
      if (text != "PING") out.push_back(text);
    }
    return out;
  }
};

class ScriptedLink final : public ServerLink {
 public:
  explicit ScriptedLink(std::shared_ptr<ScriptedPeer> peer) : peer_(std::move(peer)) {}
  ~ScriptedLink() override { peer_->destroyed = true; }
  long Receive(char* buffer, size_t n) override {
    if (peer_->chunks.empty()) return peer_->closed ? -1 : 0;
    std::string& chunk = peer_->chunks.front();
    size_t take = chunk.copy(buffer, n);
    chunk.erase(0, take);
    if (chunk.empty()) peer_->chunks.pop_front();
    return static_cast<long>(take);
  }
  bool Send(std::string_view message) override { return peer_->queued.append(message), !peer_->failSend; }
  bool Flush() override {
    peer_->flushed += peer_->queued;
    peer_->queued.clear();
    return !peer_->failFlush;
  }
  void Drain(int) override { Flush(), ++peer_->drains; }

 private:
  std::shared_ptr<ScriptedPeer> peer_;
};

// Connections reach a scripted peer.
struct NetClient : SpineClient {
  NetClient() {
    client.net.openLink = [this](const std::string& host, int port) {
      opened.push_back(host + ":" + std::to_string(port));
      if (refuse) return DecidedAttempt(nullptr);
      peer = std::make_shared<ScriptedPeer>();
      return DecidedAttempt(std::make_unique<ScriptedLink>(peer));
    };
  }
  void Join(const std::string& address = "10.0.0.1") {  // as the console does, and the attempt's end
    client.serverAddress = address;
    client.serverPort = 666;
    StartConnecting(client);
    PollConnecting(client);
  }
  // One message arriving as its own receive, then one frame.
  void Arrive(const std::string& keyword, std::initializer_list<Field> fields = {}) {
    peer->chunks.push_back(BuildMessage(keyword, fields));
    Frame();
  }
  int Mode() const { return client.net.session.netMode; }
  Colour Trail(int x, int y) const { return client.round.trailImage.Pixel(x, y); }

  Strings opened;
  bool refuse = false;
  std::shared_ptr<ScriptedPeer> peer;
};

}  // namespace kb
