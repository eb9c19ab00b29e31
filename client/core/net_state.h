#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "client/core/chat_history.h"
#include "client/core/server_link.h"
#include "common/net/protocol.h"
#include "common/net/receive_buffer.h"
#include "common/platform/core/image.h"

namespace kb {

// One visit to a server: the connection, what the server told the client and
// what the player types to it. Made new when a connection opens, so nothing of
// an earlier server (a pause, chat, a countdown) shows on the next one; kept
// after the connection closes while its last notice stays on the screen.
struct NetSession {
  int netMode = 0;
  Colour ownColour = 0;
  int countdownMs = 0;
  int serverPaused = 0;
  ChatHistory chatHistory;

  std::string passwordText;
  std::string chatText;
  int chatOpen = 0;

  int64_t lastReceive = 0;
  int64_t lastPing = 0;
  int goLatch = 0;
  int colourLatch = 0;
  // A send found the link broken; the next flush reports it.
  bool sendFailed = false;

  // Null once the connection is closed.
  std::unique_ptr<ServerLink> link;
  ReceiveBuffer received;
};

// Network play: the visit, the attempt that may start the next one, and the
// screens around them.
struct NetState {
  NetSession session;

  // The manual connection screen: the two fields and which one has the focus.
  std::string manualAddress;
  std::string manualPort = std::to_string(kDefaultGamePort);
  int manualField = 0;
  int fieldSwitchLatch = 0;
  // Set when a failure screen appears: only a key pressed after that leaves
  // it, not the Enter that started the attempt and is still held.
  int failLatch = 0;

  // The newest connection attempt and where it goes; a new one replaces it.
  std::unique_ptr<LinkAttempt> connecting;
  std::string connectingTo;
  // How connections are opened; tests put a scripted peer here.
  LinkOpener openLink = OpenServerLink;
};

}  // namespace kb
