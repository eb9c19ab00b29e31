#include "client/core/net_play.h"

#include "client/core/chat_history.h"
#include "client/core/key_latch.h"
#include "client/core/model.h"
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

void Send(Model& model, Keyword keyword, std::initializer_list<Field> fields = {}) {
  SendToServer(model.net.session, BuildMessage(keyword, fields));
}

// At most one ANGLE DOWN and one ANGLE UP per step; every slot's keys steer
// the client's one head, slot 6 with the mouse buttons.
void SteerStep(Model& model, int64_t now) {
  RoundState& round = model.round;
  Input& input = model.input;
  if (now - round.steerTime <= kSteerInterval || model.net.session.chatOpen) return;
  bool left = false, right = false;
  for (const PlayerRecord& p : round.players) {
    left |= p.leftKey != 0 && input.KeyDown(p.leftKey);
    right |= p.rightKey != 0 && input.KeyDown(p.rightKey);
  }
  // A pad bound to a slot holds its keys; any other pad steers too.
  for (const PadState& pad : input.Pads()) {
    if (model.input.SlotOf(pad.id) >= 0) continue;
    left |= pad.left;
    right |= pad.right;
  }
  if (model.frame.hasKeyboard) {
    left |= model.frame.leftButton;
    right |= input.AsyncKey(vk::kRightButton);
  }
  if (left) Send(model, Keyword::kAngle, {kAngleDown});
  if (right) Send(model, Keyword::kAngle, {kAngleUp});
  round.steerTime = now;
}

// PASS in every frame while Enter or the button is held, until the server's
// MODE empties the text.
void PasswordStep(Model& model, int64_t now) {
  NetSession& session = model.net.session;
  TypeInto(model.input, model.typing, now, session.passwordText, kPasswordRule);
  bool enter = model.input.KeyDown(scan::kEnter);
  // Marks the press as used, so the answer's screen does not take it too.
  model.frame.enterLatch = enter ? 1 : 0;
  if ((enter || ButtonHeld(model.frame, 76, 56)) && !session.passwordText.empty())
    Send(model, Keyword::kPass, {session.passwordText});
}

void ChatStep(Model& model, int64_t now) {
  NetSession& session = model.net.session;
  bool enter = EdgePressed(model.input.KeyDown(scan::kEnter), model.frame.enterLatch);
  if (session.chatOpen && !model.consoleOpen) {
    TypeInto(model.input, model.typing, now, session.chatText, kChatRule);
    if (!enter) return;
    if (!session.chatText.empty()) {
      Send(model, Keyword::kChat, {session.chatText});
      // The server does not echo one's own line.
      AddChatLine(session.chatHistory, now, session.chatText, session.ownColour);
      session.chatText.clear();
    }
    session.chatOpen = 0;
  } else if (enter) {
    DropPendingKeys(model.input);
    session.chatOpen = 1;
  }
}

bool CtrlDown(const Input& input) {
  return input.KeyDown(scan::kLeftCtrl) || input.KeyDown(scan::kRightCtrl);
}

}  // namespace

void LoseConnection(Model& model) {
  CloseServerLink(model.net.session);
  model.net.failLatch = 1;
  SetGameState(model, kStateConnectionLost);
}

void ManualScreenStep(Model& model) {
  NetState& net = model.net;
  Input& input = model.input;
  FrameState& frame = model.frame;
  int64_t now = model.clock.Now();
  if (net.manualField == 0)
    TypeInto(input, model.typing, now, net.manualAddress, kAddressRule);
  else
    TypeInto(input, model.typing, now, net.manualPort, kPortRule);

  if (ManualAddressUsable(model) && (input.KeyDown(scan::kEnter) || ButtonHeld(model.frame, 315, 180))) {
    model.serverAddress = net.manualAddress;
    model.serverPort = ParseNumberText(net.manualPort);
    model.serverLabel = "LAN Server";
    ConnectFromScreen(model);
    return;
  }
  if (frame.leftButton) {
    if (MouseInRect(model.frame, 340, 120, 145, 22)) net.manualField = 0;
    if (MouseInRect(model.frame, 350, 145, 135, 22)) net.manualField = 1;
  }
  if (EdgePressed(input.KeyDown(scan::kUp) || input.KeyDown(scan::kDown), net.fieldSwitchLatch))
    net.manualField = 1 - net.manualField;
  if (EdgePressed(input.KeyDown(scan::kEscape), frame.escapeLatch)) SetGameState(model, kStateNetLan);
}

void NetConnectStep(Model& model) {
  if (EdgePressed(model.input.KeyDown(scan::kEscape), model.frame.escapeLatch))
    SetGameState(model, kStateNetChoose);
}

void NetGameStep(Model& model) {
  NetSession& session = model.net.session;
  Input& input = model.input;
  FrameState& frame = model.frame;
  int64_t now = model.clock.Now();
  ExpireChatLines(session.chatHistory, now);

  if (now - session.lastPing > kPingInterval) {
    Send(model, Keyword::kPing);
    session.lastPing = now;
  }
  // Silence on an open connection, a closed or broken one, or the server
  // dropping this client: the visit is over at once. A server that said it
  // is shutting down closes right after; its notice stays until the player
  // leaves.
  bool alive = now - session.lastReceive <= kSilenceTimeout && ReceiveFromServer(model) && session.link &&
               session.netMode != kModeDropped;
  if (!alive) {
    if (session.netMode != kModeShutdown) {
      LoseConnection(model);
      return;
    }
    CloseServerLink(session);
  }

  bool space = EdgePressed(input.KeyDown(scan::kSpace), session.goLatch);
  if (space) Send(model, Keyword::kGo);

  switch (session.netMode) {
    case kModeRunning:
      SteerStep(model, now);
      ChatStep(model, now);
      break;
    case kModeCountdown:
    case kModeRoundOver:
    case kModeGameOver:
      ChatStep(model, now);
      break;
    case kModePasswordRequired:
      PasswordStep(model, now);
      break;
    case kModeWrongPassword:
    case kModeShutdown:
      // A fresh press: the Enter that sent the password must not also leave
      // before the answer was seen.
      if (space || EdgePressed(input.KeyDown(scan::kEnter), frame.enterLatch)) {
        CloseServerLink(session);
        SetGameState(model, kStateNetChoose);
        return;
      }
      break;
    default:
      break;
  }

  if (EdgePressed(CtrlDown(input) && input.KeyDown(scan::kC), session.colourLatch))
    Send(model, Keyword::kColor);

  if (EdgePressed(input.KeyDown(scan::kEscape), frame.escapeLatch)) {
    SayGoodbye(session);
    SetGameState(model, kStateNetChoose);
    return;
  }
  if (!FlushServerLink(session)) LoseConnection(model);
}

}  // namespace kb
