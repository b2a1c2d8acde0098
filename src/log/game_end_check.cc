#include "log/game_end_check.h"

namespace kilnbook {

namespace {

constexpr std::string_view kGameEnd = "ShutdownGame:";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

void GameEndCheck::Feed(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size() && !decided(); ++i) {
    char c = bytes[i];
    switch (state_) {
      case kLead:
        state_ = IsBlank(c) ? kLead : IsDigit(c) ? kMinutes : kNo;
        break;
      case kMinutes:
        state_ = IsDigit(c) ? kMinutes : c == ':' ? kColon : kNo;
        break;
      case kColon:
        state_ = IsDigit(c) ? kSeconds : kNo;
        break;
      case kSeconds:
      case kGap:
        if (IsDigit(c) && state_ == kSeconds) {
          break;
        }
        if (IsBlank(c)) {
          state_ = kGap;
        } else if (c == kGameEnd[0]) {
          state_ = kKeyword;
          matched_ = 1;
        } else {
          state_ = kNo;
        }
        break;
      case kKeyword:
        if (c != kGameEnd[matched_]) {
          state_ = kNo;
        } else if (++matched_ == kGameEnd.size()) {
          state_ = kYes;
        }
        break;
    }
  }
}

bool EndsGame(std::string_view line) {
  GameEndCheck check;
  check.Feed(line);
  return check.endsGame();
}

}  // namespace kilnbook
