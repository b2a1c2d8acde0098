// UTF-8 checks shared by the writers that must hand out valid UTF-8 (the
// XML parser's input, the JSON feed) whatever bytes the names hold.
#ifndef KILNBOOK_REPORT_UTF8_TEXT_H_
#define KILNBOOK_REPORT_UTF8_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace kilnbook {

// The length of the well-formed UTF-8 sequence at `text[pos]` (1 for an
// ASCII byte; no overlong forms, no surrogates, nothing above U+10FFFF), or
// 0 when the bytes there are not one.
size_t Utf8SequenceLength(std::string_view text, size_t pos);

// Appends the byte `c`, read as Latin-1, in UTF-8.
void AppendLatin1(std::string& out, unsigned char c);

}  // namespace kilnbook

#endif  // KILNBOOK_REPORT_UTF8_TEXT_H_
