#include "client/ui/settings.h"

#include <algorithm>

#include "client/core/model.h"
#include "client/ui/config.h"
#include "common/platform/core/display.h"
#include "common/platform/core/files.h"
#include "common/platform/core/ini_file.h"

namespace kb {

namespace {

constexpr char kGroup[] = "Window";
constexpr int kPadSlots = 8;

std::string PadKey(int slot) { return "Pad" + std::to_string(slot); }

// A window that can be seen and dragged: 100 pixels of its width and its
// caption on the desktop. An unknown desktop size lets every place pass.
bool OnDesktop(int x, int y, int desktopWidth, int desktopHeight) {
  if (desktopWidth <= 0 || desktopHeight <= 0) return true;
  return x >= 100 - kScreenWidth && x <= desktopWidth - 100 && y >= -25 && y <= desktopHeight - 50;
}

}  // namespace

std::string SettingsPath(const std::string& directory) {
  std::string path = directory;
  while (!path.empty() && path.back() == '/') path.pop_back();
  return path + "/Kringelbahn.ini";
}

void LoadSettings(Config& config, Display& display) {
  if (config.filePath.empty()) config.filePath = SettingsPath(SettingsDirectory());
  int desktopWidth = 0, desktopHeight = 0;
  display.DesktopSize(desktopWidth, desktopHeight);
  // Centred, but never with the caption above or left of a small desktop.
  int defaultX = std::max(0, desktopWidth / 2 - kScreenWidth / 2);
  int defaultY = std::max(0, desktopHeight / 2 - kScreenHeight / 2);
  IniFile file;
  if (!file.Load(config.filePath)) {
    config.windowX = defaultX;
    config.windowY = defaultY;
    config.fullScreenMode = 0;
    config.soundVolume = kDefaultVolume;
    return;
  }
  config.windowX = file.ReadInt(kGroup, "X", defaultX);
  config.windowY = file.ReadInt(kGroup, "Y", defaultY);
  // A place saved on a larger or another desktop would open the window out of sight.
  if (!OnDesktop(config.windowX, config.windowY, desktopWidth, desktopHeight)) {
    config.windowX = defaultX;
    config.windowY = defaultY;
  }
  config.fullScreenMode = file.ReadInt(kGroup, "Fullscreen", 0) != 0 ? 1 : 0;
  config.soundVolume = std::clamp(file.ReadInt(kGroup, "Volume", kDefaultVolume), 0, kMaxVolume);
  config.padIds.clear();
  for (int slot = 1; slot <= kPadSlots; ++slot) config.padIds.push_back(file.ReadText(kGroup, PadKey(slot)));
}

void SaveSettings(Config& config, Display& display) {
  int x = 0, y = 0;
  if (!config.fullScreenMode && display.WindowPosition(x, y)) {
    config.windowX = x;
    config.windowY = y;
  }
  std::vector<std::pair<std::string, IniValue>> values = {{"X", config.windowX},
                                                           {"Y", config.windowY},
                                                           {"Fullscreen", config.fullScreenMode},
                                                           {"Volume", config.soundVolume}};
  for (size_t i = 0; i < config.padIds.size(); ++i)
    if (!config.padIds[i].empty()) values.emplace_back(PadKey(static_cast<int>(i) + 1), config.padIds[i]);
  WriteIni(config.filePath, kGroup, values);
}

}  // namespace kb
