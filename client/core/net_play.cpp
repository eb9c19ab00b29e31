#include "client/core/net_play.h"

#include "client/core/chat_history.h"
#include "client/core/client.h"
#include "client/core/key_latch.h"
#include "client/core/mouse.h"
#include "client/core/net_connection.h"
#include "client/core/net_dispatch.h"
#include "client/core/network_hooks.h"
#include "client/core/text_input.h"
#include "common/net/protocol.h"
#include "common/platform/core/keys.h"

namespace kb {

namespace {

constexpr int64_t kSteerInterval = 10;

void Send(Client& client, Keyword keyword, std::initializer_list<Field> fields = {}) {
  SendToServer(client, BuildMessage(keyword, fields));
}

bool ButtonHeld(const Client& client, int x, int y) {
  return client.frame.leftButton && MouseInButton(client, x, y);
}

// At most one ANGLE DOWN and one ANGLE UP per step; every slot's keys steer
// the client's one head, slot 6 with the mouse buttons.
void SteerStep(Client& client, int64_t now) {
  RoundState& round = client.round;
  Input& input = client.input;
  if (now - round.steerTime <= kSteerInterval || client.net.session.chatOpen) return;
  bool left = false, right = false;
  for (const PlayerRecord& p : round.players) {
    left |= p.leftKey != 0 && input.KeyDown(p.leftKey);
    right |= p.rightKey != 0 && input.KeyDown(p.rightKey);
  }
  if (client.display.HasFocus() || client.config.fullScreenMode) {
    left |= client.frame.leftButton;
    right |= input.AsyncKey(vk::kRightButton);
  }
  if (left) Send(client, Keyword::kAngle, {kAngleDown});
  if (right) Send(client, Keyword::kAngle, {kAngleUp});
  round.steerTime = now;
}

// PASS in every frame while Enter or the button is held, until the server's
// MODE empties the text.
void PasswordStep(Client& client, int64_t now) {
  NetSession& session = client.net.session;
  TypeInto(client.input, client.console, now, session.passwordText, kPasswordRule);
  bool enter = client.input.KeyDown(scan::kEnter);
  // Marks the press as used, so the answer's screen does not take it too.
  client.frame.enterLatch = enter ? 1 : 0;
  if ((enter || ButtonHeld(client, 76, 56)) && !session.passwordText.empty())
    Send(client, Keyword::kPass, {session.passwordText});
}

void ChatStep(Client& client, int64_t now) {
  NetSession& session = client.net.session;
  bool enter = EdgePressed(client.input.KeyDown(scan::kEnter), client.frame.enterLatch);
  if (session.chatOpen && !client.console.isOpen) {
    TypeInto(client.input, client.console, now, session.chatText, kChatRule);
    if (!enter) return;
    if (!session.chatText.empty()) {
      Send(client, Keyword::kChat, {session.chatText});
      // The server does not echo one's own line.
      AddChatLine(session.chatHistory, now, session.chatText, session.ownColour);
      session.chatText.clear();
    }
    session.chatOpen = 0;
  } else if (enter) {
    DropPendingKeys(client.input);
    session.chatOpen = 1;
  }
}

bool CtrlDown(const Input& input) {
  return input.KeyDown(scan::kLeftCtrl) || input.KeyDown(scan::kRightCtrl);
}

}  // namespace

void LoseConnection(Client& client) {
  CloseServerLink(client.net.session);
  client.net.failLatch = 1;
  SetGameState(client, kStateConnectionLost);
}

void ManualScreenStep(Client& client) {
  NetState& net = client.net;
  Input& input = client.input;
  FrameState& frame = client.frame;
  int64_t now = client.clock.Now();
  if (net.manualField == 0)
    TypeInto(input, client.console, now, net.manualAddress, kAddressRule);
  else
    TypeInto(input, client.console, now, net.manualPort, kPortRule);

  if (ManualAddressUsable(client) && (input.KeyDown(scan::kEnter) || ButtonHeld(client, 315, 180))) {
    client.serverAddress = net.manualAddress;
    client.serverPort = ParseNumberText(net.manualPort);
    client.serverLabel = "LAN Server";
    ConnectFromScreen(client);
    return;
  }
  if (frame.leftButton) {
    if (MouseInRect(client, 340, 120, 145, 22)) net.manualField = 0;
    if (MouseInRect(client, 350, 145, 135, 22)) net.manualField = 1;
  }
  if (EdgePressed(input.KeyDown(scan::kUp) || input.KeyDown(scan::kDown), net.fieldSwitchLatch))
    net.manualField = 1 - net.manualField;
  if (EdgePressed(input.KeyDown(scan::kEscape), frame.escapeLatch)) SetGameState(client, kStateNetLan);
}

void NetConnectStep(Client& client) {
  if (EdgePressed(client.input.KeyDown(scan::kEscape), client.frame.escapeLatch))
    SetGameState(client, kStateNetChoose);
}

void NetGameStep(Client& client) {
  NetSession& session = client.net.session;
  Input& input = client.input;
  FrameState& frame = client.frame;
  int64_t now = client.clock.Now();
  ExpireChatLines(session.chatHistory, now);

  if (now - session.lastPing > kPingInterval) {
    Send(client, Keyword::kPing);
    session.lastPing = now;
  }
  // Silence on an open connection, a closed or broken one, or the server
  // dropping this client: the visit is over at once. A server that said it
  // is shutting down closes right after; its notice stays until the player
  // leaves.
  bool alive = now - session.lastReceive <= kSilenceTimeout && ReceiveFromServer(client) && session.link &&
               session.netMode != kModeDropped;
  if (!alive) {
    if (session.netMode != kModeShutdown) {
      LoseConnection(client);
      return;
    }
    CloseServerLink(session);
  }

  bool space = EdgePressed(input.KeyDown(scan::kSpace), session.goLatch);
  if (space) Send(client, Keyword::kGo);

  switch (session.netMode) {
    case kModeRunning:
      SteerStep(client, now);
      ChatStep(client, now);
      break;
    case kModeCountdown:
    case kModeRoundOver:
    case kModeGameOver:
      ChatStep(client, now);
      break;
    case kModePasswordRequired:
      PasswordStep(client, now);
      break;
    case kModeWrongPassword:
    case kModeShutdown:
      // A fresh press: the Enter that sent the password must not also leave
      // before the answer was seen.
      if (space || EdgePressed(input.KeyDown(scan::kEnter), frame.enterLatch)) {
        CloseServerLink(session);
        SetGameState(client, kStateNetChoose);
        return;
      }
      break;
    default:
      break;
  }

  if (EdgePressed(CtrlDown(input) && input.KeyDown(scan::kC), session.colourLatch))
    Send(client, Keyword::kColor);

  if (EdgePressed(input.KeyDown(scan::kEscape), frame.escapeLatch)) {
    SayGoodbye(session);
    SetGameState(client, kStateNetChoose);
    return;
  }
  if (!FlushServerLink(session)) LoseConnection(client);
}

}  // namespace kb
