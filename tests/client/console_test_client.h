#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "client/console/command_registry.h"
#include "client/console/console.h"
#include "tests/client/client_fixture.h"

namespace kb {

// A test client with every console command registered and message boxes
// recorded instead of shown.
struct ConsoleTestClient : TestClient {
  ConsoleTestClient() {
    RegisterCommands(client);
    client.console.hooks.messageBox = [this](const std::string& title, const std::string& text,
                                             bool warning) {
      std::lock_guard lock(boxesMutex);
      boxes.push_back(title + "|" + text + (warning ? "|warning" : "|info"));
    };
  }

  int Run(const std::string& line, int fromScript = 0, const std::string& script = "") {
    return DispatchCommand(client, line, fromScript, script);
  }

  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const ConsoleLine& line : client.console.lines.Snapshot()) texts.push_back(line.text);
    return texts;
  }
  std::vector<Colour> Colours() const {
    std::vector<Colour> colours;
    for (const ConsoleLine& line : client.console.lines.Snapshot()) colours.push_back(line.colour);
    return colours;
  }
  std::string LastText() const {
    auto texts = Texts();
    return texts.empty() ? std::string() : texts.back();
  }

  std::mutex boxesMutex;
  std::vector<std::string> boxes;
};

// A fresh directory that is the current directory while the object lives.
class TempWorkDir {
 public:
  TempWorkDir() {
    char pattern[] = "/tmp/kb_console_XXXXXX";
    path_ = mkdtemp(pattern);
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(path_);
  }
  ~TempWorkDir() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& Path() const { return path_; }

  static void Write(const std::string& name, const std::string& bytes) {
    std::ofstream out(name, std::ios::binary);
    out << bytes;
  }
  static std::string Read(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

}  // namespace kb
