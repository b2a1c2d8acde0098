#include "log/keyword_handlers.h"

#include <string>

#include "log/number_text.h"
#include "log/text_clean.h"

namespace kilnbook {

namespace {

constexpr size_t npos = std::string_view::npos;

LogEvent EventOf(LogEventKind kind) {
  LogEvent event;
  event.kind = kind;
  return event;
}

// Team and model identifiers go into the data file as they stand, so they
// must not carry its field separators.
std::string WithoutSeparators(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c != '*' && c != '|' && c != '`' && c != '\xB4') {
      out.push_back(c);
    }
  }
  return out;
}

static_assert(kKeywordTable.size() ==
                  static_cast<size_t>(LogEventKind::Score) + 1,
              "one keyword per event kind");

}  // namespace

LogEvent HandleInitGame(std::string_view) {
  return EventOf(LogEventKind::InitGame);
}

LogEvent HandleShutdownGame(std::string_view) {
  return EventOf(LogEventKind::ShutdownGame);
}

LogEvent HandleExit(std::string_view) { return EventOf(LogEventKind::Exit); }

LogEvent HandleClientBegin(std::string_view) {
  return EventOf(LogEventKind::ClientBegin);
}

LogEvent HandleItem(std::string_view) { return EventOf(LogEventKind::Item); }

LogEvent HandleSay(std::string_view) { return EventOf(LogEventKind::Say); }

LogEvent HandleClientDisconnect(std::string_view) {
  return EventOf(LogEventKind::ClientDisconnect);
}

LogEvent HandleRed(std::string_view args) {
  LogEvent event = EventOf(LogEventKind::Red);
  size_t blank = args.find(' ');
  if (blank == npos) {
    return event;
  }
  std::string_view redText = args.substr(0, blank);
  // The blank and the byte after it (normally the second blank) are skipped;
  // without two bytes after the blank there is no blue label to read.
  if (args.size() - blank - 1 < 2) {
    return event;
  }
  std::string_view tail = args.substr(blank + 2);
  size_t colon = tail.find(':');
  if (colon == npos) {
    return event;
  }
  event.redScore = ParseNumber(redText);
  event.blueScore = ParseNumber(tail.substr(colon + 1));
  return event;
}

LogEvent HandleClientConnect(std::string_view args) {
  LogEvent event = EventOf(LogEventKind::ClientConnect);
  event.slot = ParseNumber(args);
  return event;
}

LogEvent HandleClientUserinfoChanged(std::string_view args) {
  LogEvent event = EventOf(LogEventKind::ClientUserinfoChanged);
  size_t nameKey = args.find("n\\");
  if (nameKey == npos) {
    return event;
  }
  // With the key at the very start there is no slot text; the whole
  // arguments begin with a letter and read as 0.
  event.slot = ParseNumber(nameKey == 0 ? args : args.substr(0, nameKey - 1));
  std::string_view tail = args.substr(nameKey + 2);
  size_t nameEnd = tail.find('\\');
  if (nameEnd == npos) {
    return event;
  }
  event.name = CleanText(tail.substr(0, nameEnd));
  event.plainName = ColorizeName(event.name, NameMode::kPlain);
  event.htmlName = ColorizeName(event.name, NameMode::kMarkup);
  // Searched from the start of the raw name, as the player's own text may
  // end in "model".
  size_t modelKey = tail.find("model\\");
  if (modelKey == npos) {
    return event;
  }
  tail = tail.substr(modelKey + 6);
  size_t slash = tail.find('/');
  if (slash == npos) {
    return event;
  }
  event.model = WithoutSeparators(tail.substr(0, slash));
  size_t headKey = tail.find("head\\");
  if (headKey == npos) {
    return event;
  }
  tail = tail.substr(headKey + 5);
  size_t headEnd = tail.find('\\');
  if (headEnd == npos) {
    return event;
  }
  event.head = WithoutSeparators(tail.substr(0, headEnd));
  return event;
}

LogEvent HandleKill(std::string_view args) {
  LogEvent event = EventOf(LogEventKind::Kill);
  // Position 0 holds the blank after the keyword.
  size_t firstBlank = args.find(' ', 1);
  if (firstBlank == npos) {
    return event;
  }
  event.killer = ParseNumber(args.substr(1, firstBlank - 1));
  std::string_view tail = args.substr(firstBlank + 1);
  size_t secondBlank = tail.find(' ');
  if (secondBlank == npos) {
    return event;
  }
  event.victim = ParseNumber(tail.substr(0, secondBlank));
  std::string_view tail2 = tail.substr(secondBlank + 1);
  size_t colon = tail2.find(':');
  if (colon == npos) {
    return event;
  }
  event.meansOfDeath = ParseNumber(tail2.substr(0, colon));
  return event;
}

LogEvent HandleScore(std::string_view args) {
  constexpr std::string_view kPing = "ping:";
  constexpr std::string_view kClient = "client:";
  LogEvent event = EventOf(LogEventKind::Score);
  size_t ping = args.find(kPing, 1);
  if (ping == npos) {
    return event;
  }
  // The score stands between the leading blank and the two blanks before
  // "ping:"; a "ping:" too close to the start leaves the rest of the text.
  event.score = ParseNumber(ping < 3 ? args.substr(1) : args.substr(1, ping - 3));
  if (ping + kPing.size() == args.size()) {
    return event;
  }
  std::string_view tail = args.substr(ping + kPing.size() + 1);
  size_t client = tail.find(kClient);
  if (client == npos) {
    return event;
  }
  event.ping = ParseNumber(client < 2 ? tail : tail.substr(0, client - 2));
  if (client + kClient.size() == tail.size()) {
    return event;
  }
  std::string_view tail2 = tail.substr(client + kClient.size() + 1);
  // A slot that ends the line is not taken: the name must follow it.
  size_t blank = tail2.find(' ');
  if (blank == npos) {
    return event;
  }
  event.slot = ParseNumber(tail2.substr(0, blank));
  return event;
}

}  // namespace kilnbook
