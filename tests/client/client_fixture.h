#pragma once

#include <memory>

#include "client/core/client.h"
#include "tests/support/fake_display.h"
#include "tests/support/fake_input.h"

namespace kb {

// A client on a manual clock, a seeded random source and fake devices.
struct TestClient {
  ManualClock clock{100000};
  Random random{12345};
  FakeInput input;
  FakeDisplay display;
  Client client{clock, random, input, display};
};

}  // namespace kb
