#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "client/console/command_registry.h"
#include "client/console/console.h"
#include "tests/client/client_fixture.h"
#include "tests/platform/temp_dir.h"

namespace kb {

using Strings = std::vector<std::string>;

// A test client with every console command registered and message boxes
// recorded instead of shown.
struct ConsoleTestClient : TestClient {
  ConsoleTestClient() {
    RegisterCommands(client);
    client.console.hooks.messageBox = [this](const std::string& title, const std::string& text,
                                             bool warning) {
      boxes.push_back(title + "|" + text + (warning ? "|warning" : "|info"));
    };
  }
  int Run(const std::string& line, int fromScript = 0, const std::string& script = "") {
    return DispatchCommand(client, line, fromScript, script);
  }
  void RunAll(std::initializer_list<const char*> lines, int fromScript = 0, const std::string& script = "") {
    for (const char* line : lines) Run(line, fromScript, script);
  }
  Strings Texts() const {
    Strings texts;
    for (const ConsoleLine& line : client.console.lines.Snapshot()) texts.push_back(line.text);
    return texts;
  }
  std::vector<Colour> Colours() const {
    std::vector<Colour> colours;
    for (const ConsoleLine& line : client.console.lines.Snapshot()) colours.push_back(line.colour);
    return colours;
  }
  Strings boxes;
};

// A fresh directory that is the current directory while the object lives.
struct TempWorkDir : TempDir {
  TempWorkDir() { std::filesystem::current_path(Path()); }
  ~TempWorkDir() { std::filesystem::current_path(previous); }
  std::filesystem::path previous = std::filesystem::current_path();
};

}  // namespace kb
