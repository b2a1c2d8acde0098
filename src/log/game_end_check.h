// Whether a log line ends a game. Only the server's own "ShutdownGame:" event
// does: the same text inside a chat line or a player's name ends nothing.
#ifndef KILNBOOK_LOG_GAME_END_CHECK_H_
#define KILNBOOK_LOG_GAME_END_CHECK_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kilnbook {

// A line ends a game when, after its leading blanks, its time stamp (digits,
// a colon, digits) and the blanks after that, its event begins with
// "ShutdownGame:". A wider time column ("1000:00 ShutdownGame:") ends a game
// as well. Blanks are spaces and tabs.
//
// The check reads the start of one line, fed in pieces of any size (a line
// may span the blocks a log is read in), and is decided within the first
// bytes: the time stamp and the keyword.
class GameEndCheck {
 public:
  // Feeds the next bytes of the line, which must not include its line feed.
  // Bytes after the decision are ignored.
  void Feed(std::string_view bytes);

  bool decided() const { return state_ >= kNo; }
  // True once the line is known to end a game.
  bool endsGame() const { return state_ == kYes; }

 private:
  enum : uint8_t {
    kLead,
    kMinutes,
    kColon,
    kSeconds,
    kGap,
    kKeyword,
    kNo,
    kYes
  };

  uint8_t state_ = kLead;
  uint8_t matched_ = 0;  // bytes of the keyword seen, in kKeyword
};

// The whole line (without its line feed).
bool EndsGame(std::string_view line);

}  // namespace kilnbook

#endif  // KILNBOOK_LOG_GAME_END_CHECK_H_
