#include "client/core/chat_history.h"

namespace kb {

void AddChatLine(ChatHistory& history, int64_t now, const std::string& text, Colour colour) {
  for (int i = kChatHistoryLines - 1; i >= 1; --i) history[i] = std::move(history[i - 1]);
  history[0] = {now, colour, text};
}

void ExpireChatLines(ChatHistory& history, int64_t now) {
  for (ChatLine& line : history)
    if (now - line.time > kChatLineLifetime) line = ChatLine{};
}

}  // namespace kb
