#pragma once

#include <string_view>

namespace kb {

struct Model;

// Acts on one message from the server (without its terminator); the trail
// discs it drew, a measure of its drawing work.
long DispatchServerMessage(Model& model, std::string_view message);

// The receive step of state net: takes what arrived, in order, and acts on
// every complete message. A message split across receives is completed by
// the next one. False when the connection closed or broke.
bool ReceiveFromServer(Model& model);

}  // namespace kb
