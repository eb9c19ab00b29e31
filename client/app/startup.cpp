#include "client/app/startup.h"

#include "client/app/client.h"
#include "client/app/display_mode.h"
#include "client/app/sound_output.h"
#include "client/console/console.h"
#include "client/ui/button.h"
#include "client/ui/load_resources.h"
#include "client/ui/settings.h"
#include "common/game/trig.h"
#include "common/platform/core/keys.h"

namespace kb {

namespace {

struct SlotDefaults {
  Colour colour;
  const char* keyLabel;
  int leftKey, rightKey, useKey;
};

// Slot 6 is steered with the mouse buttons and has no keys.
constexpr SlotDefaults kSlots[kPlayerSlots] = {
    {Rgb(255, 0, 0), "Shift / < / CapsLock", scan::kLeftShift, scan::kLessGreater, scan::kCapsLock},
    {Rgb(0, 255, 0), "Links / Runter / Hoch", scan::kLeft, scan::kDown, scan::kUp},
    {Rgb(255, 144, 0), "1 / Q / 2", scan::k1, scan::kQ, scan::k2},
    {Rgb(0, 102, 255), "M / , / K", scan::kM, scan::kComma, scan::kK},
    {Rgb(255, 255, 0), "\xDC / \xB4 / P", scan::kUDiaeresis, scan::kAcute, scan::kP},
    {Rgb(255, 255, 255), "6 / 7 / Z", scan::k6, scan::k7, scan::kZ},
    {Rgb(0, 170, 170), "Links / Rechts / Mitte (Maus)", 0, 0, 0},
    {Rgb(153, 0, 204), "C / V / F", scan::kC, scan::kV, scan::kF},
};

}  // namespace

void InitPlayerTable(RoundState& round) {
  for (int i = 0; i < kPlayerSlots; ++i) {
    const SlotDefaults& slot = kSlots[i];
    round.players[i] = PlayerRecord{};
    round.playerColours[i] = slot.colour;
    round.players[i].keyLabel = slot.keyLabel;
    round.players[i].leftKey = slot.leftKey;
    round.players[i].rightKey = slot.rightKey;
    round.players[i].useKey = slot.useKey;
  }
}

std::string StartClient(Client& client) {
  LoadSettings(client.config, client.display);
  client.sound.volume = client.config.soundVolume;
  if (!client.display.Open(client.config.fullScreenMode != 0, client.config.windowX, client.config.windowY))
    return kWindowError;

  LoadFonts(client.resources);
  LoadPictures(client.resources);
  LoadSprites(client.resources);

  client.frame.gameState = kStateMenu;
  client.round.upgradesOption = 1;
  client.round.confusionOption = 1;
  InitPlayerTable(client.round);
  // Each slot's pad, by the id it had when the game last ended.
  for (size_t i = 0; i < client.config.padIds.size() && i < kPlayerSlots; ++i)
    client.round.players[i].padId = client.config.padIds[i];
  AddMenuButtons(client.menuButtons);
  BuildButtonSprites(client.menuButtons, client.resources.fontLarge);
  SinTable();
  CosTable();

  RegisterCommands(client.console);
  PrintWelcome(client.consoleLines);
  OpenSound(client);
  StartAutoexec(client.commands);
  return "";
}

}  // namespace kb
