#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "common/platform/core/image.h"

namespace kb {

// One line of the chat history; time 0 and empty text is an empty entry.
struct ChatLine {
  int64_t time = 0;
  Colour colour = 0;
  std::string text;
};

constexpr int kChatHistoryLines = 5;
// Index 0 is the newest line.
using ChatHistory = std::array<ChatLine, kChatHistoryLines>;

// A chat line stays this long in the history.
constexpr int64_t kChatLineLifetime = 30000;

// Pushes a new newest line; the oldest falls out.
void AddChatLine(ChatHistory& history, int64_t now, const std::string& text, Colour colour);

// Empties the lines older than kChatLineLifetime.
void ExpireChatLines(ChatHistory& history, int64_t now);

}  // namespace kb
