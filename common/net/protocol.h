#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kb {

// Framing bytes: keyword 0x02 field 0x02 field 0x04. List fields use 0x03
// between entries and 0x05 between the values of one entry.
constexpr char kFieldSeparator = '\x02';
constexpr char kEntrySeparator = '\x03';
constexpr char kMessageTerminator = '\x04';
constexpr char kSubFieldSeparator = '\x05';

constexpr int kDefaultGamePort = 666;
constexpr int kDiscoveryRequestPort = 667;
constexpr int kDiscoveryAnswerPort = 668;
constexpr int kReceiveBufferSize = 8192;
constexpr int kPingInterval = 100;
constexpr int kSilenceTimeout = 30000;
// A connection that has not joined within this long is closed (ms).
constexpr int kJoinTime = 10000;

// Every keyword of both directions; the one table both programs dispatch on.
enum class Keyword {
  kUnknown,
  kJoin,
  kPass,
  kAngle,
  kGo,
  kColor,
  kChat,
  kAdmin,
  kPing,
  kLeave,
  kMode,
  kServer,
  kPong,
  kClear,
  kTime,
  kPoint,
  kLine,
  kWinner,
  kScores,
  kPause,
};

std::string_view KeywordText(Keyword keyword);
// Exact, case-sensitive; kUnknown for anything else.
Keyword ParseKeyword(std::string_view text);

// The two values of "ANGLE".
constexpr std::string_view kAngleDown = "DOWN";
constexpr std::string_view kAngleUp = "UP";

// Values of "MODE".
enum NetModeValue : int {
  kModeSpectating = 6,
  kModeCountdown = 7,
  kModeRunning = 8,
  kModeRoundOver = 9,
  kModeWaiting = 10,
  kModeGameOver = 18,
  kModePasswordRequired = 19,
  kModeWrongPassword = 20,
  kModeShutdown = 21,
  kModeDropped = 22,  // for silence, as the server removes the player
  kModeKicked = 23,
};
// How long the countdown and the game-over screen last; "TIME" counts down
// from these, one message per tick.
constexpr int kCountdownTime = 5000;
constexpr int kGameEndTime = 20000;

// One field of a message being built: text as is, integers in decimal.
class Field {
 public:
  Field(std::string_view text) : text_(text) {}
  Field(const char* text) : text_(text) {}
  Field(const std::string& text) : text_(text) {}
  Field(int value) : Field(static_cast<int64_t>(value)) {}
  Field(uint32_t value) : Field(static_cast<int64_t>(value)) {}
  Field(int64_t value);

  // Copies stay valid: numbers live in the field itself.
  std::string_view Text() const { return digitCount_ ? std::string_view(digits_, digitCount_) : text_; }

 private:
  char digits_[24] = {};
  size_t digitCount_ = 0;
  std::string_view text_;
};

// keyword, each field preceded by 0x02, then 0x04.
std::string BuildMessage(Keyword keyword, std::initializer_list<Field> fields = {});
// The same message added to the end of out: no allocation once out has room.
void AppendMessage(std::string& out, Keyword keyword, std::initializer_list<Field> fields = {});
std::string BuildMessage(std::string_view keyword, std::initializer_list<Field> fields = {});

// The complete messages of one chunk (without their 0x04), in order; bytes
// after the last 0x04 are not a message.
std::vector<std::string_view> SplitMessages(std::string_view chunk);

// Field n of a message, 1 being the keyword; empty when absent.
std::string_view MessageField(std::string_view message, int n);
// Field n read as a decimal number: leading spaces, a sign, digits up to the
// first other character; 0 when empty or not numeric, clamped to 32 bits.
int MessageNumber(std::string_view message, int n);
int ParseNumberText(std::string_view text);

// Server names travel with every space as "%20".
std::string EncodeServerName(std::string_view name);
std::string DecodeServerName(std::string_view name);

}  // namespace kb
