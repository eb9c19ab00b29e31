#include "common/net/discovery.h"

#include "common/net/protocol.h"

namespace kb {

std::string BuildDiscoveryAnswer(std::string_view encodedName, int port, int players, bool password,
                                 std::string_view id) {
  std::string out(kDiscoveryAnswerTag);
  for (const Field& f :
       {Field(encodedName), Field(port), Field(players), Field(password ? 1 : 0), Field(id)}) {
    out.push_back(kFieldSeparator);
    out.append(f.Text());
  }
  return out;
}

}  // namespace kb
