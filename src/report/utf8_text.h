// Valid UTF-8 for the writers that must hand it out (the XML parser's input,
// the JSON feed) whatever bytes the names hold.
#ifndef KILNBOOK_REPORT_UTF8_TEXT_H_
#define KILNBOOK_REPORT_UTF8_TEXT_H_

#include <string>
#include <string_view>

namespace kilnbook {

// What a repaired text must also leave out besides bytes that are not UTF-8.
enum class Utf8Repair {
  // Nothing: control bytes and every code point stay (the feed; the JSON
  // writer escapes what it must).
  kBytesOnly,
  // What XML 1.0 forbids (the parser's input): every control byte but tab,
  // line feed and carriage return becomes "?", and U+FFFE and U+FFFF become
  // U+FFFD.
  kXmlCharacters,
};

// `text` as valid UTF-8. Names reach the pages and the feed as raw bytes: a
// bot or the server console may use Latin-1, and one such name must not
// cost a whole server its pages. So every well-formed UTF-8 sequence is kept
// and every other byte above 0x7F is read as Latin-1 and written as UTF-8;
// then `repair` says what else changes.
std::string RepairedUtf8(std::string_view text, Utf8Repair repair);

// True when RepairedUtf8 would give back `text` unchanged, so that it can be
// used without a copy. ASCII text costs one comparison a byte.
bool IsRepairedUtf8(std::string_view text, Utf8Repair repair);

}  // namespace kilnbook

#endif  // KILNBOOK_REPORT_UTF8_TEXT_H_
