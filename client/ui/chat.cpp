#include "client/ui/chat.h"

#include "client/core/text_input.h"
#include "client/ui/put_text.h"

namespace kb {

namespace {

constexpr Colour kWhite = 0xFFFFFF;
constexpr int64_t kCaretBlink = 500;

}  // namespace

void DrawChat(Image& screen, Font& lineFont, Font& normal, const NetSession& session, TypingState& typing,
              int64_t now) {
  int h = lineFont.TextHeight("ABC") + 4;
  int base = 595 - h;
  if (session.chatOpen) {
    base = 595 - 2 * h;
    // The end of a long line stays in sight while it is typed.
    std::string line = "Chat: " + FitTextEnd(normal, session.chatText, 780 - normal.TextWidth("Chat: "));
    PutText(screen, normal, 5, 595 - h, line, kWhite);
    if (now - typing.caretTime > kCaretBlink) {
      typing.caretOn = 1 - typing.caretOn;
      typing.caretTime = now;
    }
    int w = normal.TextWidth(line);
    if (typing.caretOn == 1) screen.Line(w + 7, 597 - h, w + 7, 595, kWhite);
  }
  for (int i = 0; i < kChatHistoryLines; ++i) {
    const ChatLine& line = session.chatHistory[i];
    if (!line.text.empty() && now - line.time <= kChatLineLifetime)
      PutText(screen, normal, 5, base - i * (h + 2), FitText(normal, line.text, 790), line.colour);
  }
}

}  // namespace kb
