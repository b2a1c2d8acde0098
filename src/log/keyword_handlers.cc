#include "log/keyword_handlers.h"

#include <array>
#include <string>

#include "log/number_text.h"
#include "log/text_clean.h"

namespace kilnbook {

namespace {

constexpr size_t npos = std::string_view::npos;

// The first `c` in `text` at or after `from`, or npos. The separators of a
// kill line are a few bytes apart: a plain loop beats a call of memchr.
size_t FindNear(std::string_view text, char c, size_t from = 0) {
  for (size_t i = from; i < text.size(); ++i) {
    if (text[i] == c) {
      return i;
    }
  }
  return npos;
}

// The data file's separators: '*', '|', '`' and 0xB4.
constexpr std::array<bool, 256> kSeparator = [] {
  std::array<bool, 256> table{};
  for (unsigned char c : {'*', '|', '`', '\xB4'}) {
    table[c] = true;
  }
  return table;
}();

// Team and model identifiers go into the data file as they stand, so they
// must not carry its field separators.
void AssignWithoutSeparators(std::string& out, std::string_view text) {
  out.resize(text.size());
  char* kept = out.data();
  for (char c : text) {
    *kept = c;
    kept += kSeparator[static_cast<unsigned char>(c)] ? 0 : 1;
  }
  out.resize(static_cast<size_t>(kept - out.data()));
}

static_assert(kKeywordTable.size() ==
                  static_cast<size_t>(LogEventKind::Score) + 1,
              "one keyword per event kind");

}  // namespace

void HandleInitGame(std::string_view, LogEvent& event) {
  event.Reset(LogEventKind::InitGame);
}

void HandleShutdownGame(std::string_view, LogEvent& event) {
  event.Reset(LogEventKind::ShutdownGame);
}

void HandleExit(std::string_view, LogEvent& event) {
  event.Reset(LogEventKind::Exit);
}

void HandleClientBegin(std::string_view, LogEvent& event) {
  event.Reset(LogEventKind::ClientBegin);
}

void HandleItem(std::string_view, LogEvent& event) {
  event.Reset(LogEventKind::Item);
}

void HandleSay(std::string_view, LogEvent& event) {
  event.Reset(LogEventKind::Say);
}

void HandleClientDisconnect(std::string_view, LogEvent& event) {
  event.Reset(LogEventKind::ClientDisconnect);
}

void HandleRed(std::string_view args, LogEvent& event) {
  event.Reset(LogEventKind::Red);
  size_t blank = args.find(' ');
  if (blank == npos) {
    return;
  }
  std::string_view redText = args.substr(0, blank);
  // The blank and the byte after it (normally the second blank) are skipped;
  // without two bytes after the blank there is no blue label to read.
  if (args.size() - blank - 1 < 2) {
    return;
  }
  std::string_view tail = args.substr(blank + 2);
  size_t colon = tail.find(':');
  if (colon == npos) {
    return;
  }
  event.redScore = ParseNumber(redText);
  event.blueScore = ParseNumber(tail.substr(colon + 1));
}

void HandleClientConnect(std::string_view args, LogEvent& event) {
  event.Reset(LogEventKind::ClientConnect);
  event.slot = ParseNumber(args);
}

void HandleClientUserinfoChanged(std::string_view args, LogEvent& event) {
  event.Reset(LogEventKind::ClientUserinfoChanged);
  size_t nameKey = args.find("n\\");
  if (nameKey == npos) {
    return;
  }
  // With the key at the very start there is no slot text; the whole
  // arguments begin with a letter and read as 0.
  event.slot = ParseNumber(nameKey == 0 ? args : args.substr(0, nameKey - 1));
  std::string_view tail = args.substr(nameKey + 2);
  size_t nameEnd = tail.find('\\');
  if (nameEnd == npos) {
    return;
  }
  AppendCleanText(event.name, tail.substr(0, nameEnd));
  AppendColorizedName(event.plainName, event.name, NameMode::kPlain);
  AppendColorizedName(event.htmlName, event.name, NameMode::kMarkup);
  // Searched from the start of the raw name, as the player's own text may
  // end in "model".
  size_t modelKey = tail.find("model\\");
  if (modelKey == npos) {
    return;
  }
  tail = tail.substr(modelKey + 6);
  size_t slash = tail.find('/');
  if (slash == npos) {
    return;
  }
  AssignWithoutSeparators(event.model, tail.substr(0, slash));
  size_t headKey = tail.find("head\\");
  if (headKey == npos) {
    return;
  }
  tail = tail.substr(headKey + 5);
  size_t headEnd = tail.find('\\');
  if (headEnd == npos) {
    return;
  }
  AssignWithoutSeparators(event.head, tail.substr(0, headEnd));
}

void HandleKill(std::string_view args, LogEvent& event) {
  event.Reset(LogEventKind::Kill);
  // Position 0 holds the blank after the keyword.
  size_t firstBlank = FindNear(args, ' ', 1);
  if (firstBlank == npos) {
    return;
  }
  event.killer = ParseNumber(args.substr(1, firstBlank - 1));
  std::string_view tail = args.substr(firstBlank + 1);
  size_t secondBlank = FindNear(tail, ' ');
  if (secondBlank == npos) {
    return;
  }
  event.victim = ParseNumber(tail.substr(0, secondBlank));
  std::string_view tail2 = tail.substr(secondBlank + 1);
  size_t colon = FindNear(tail2, ':');
  if (colon == npos) {
    return;
  }
  event.meansOfDeath = ParseNumber(tail2.substr(0, colon));
}

void HandleScore(std::string_view args, LogEvent& event) {
  constexpr std::string_view kPing = "ping:";
  constexpr std::string_view kClient = "client:";
  event.Reset(LogEventKind::Score);
  size_t ping = args.find(kPing, 1);
  if (ping == npos) {
    return;
  }
  // The score stands between the leading blank and the two blanks before
  // "ping:"; a "ping:" too close to the start leaves the rest of the text.
  event.score =
      ParseNumber(ping < 3 ? args.substr(1) : args.substr(1, ping - 3));
  if (ping + kPing.size() == args.size()) {
    return;
  }
  std::string_view tail = args.substr(ping + kPing.size() + 1);
  size_t client = tail.find(kClient);
  if (client == npos) {
    return;
  }
  event.ping = ParseNumber(client < 2 ? tail : tail.substr(0, client - 2));
  if (client + kClient.size() == tail.size()) {
    return;
  }
  std::string_view tail2 = tail.substr(client + kClient.size() + 1);
  // A slot that ends the line is not taken: the name must follow it.
  size_t blank = tail2.find(' ');
  if (blank == npos) {
    return;
  }
  event.slot = ParseNumber(tail2.substr(0, blank));
}

}  // namespace kilnbook
