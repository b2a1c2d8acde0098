// Reading and writing the fields of our small state-file formats: fixed
// words, decimal numbers, digests and length-prefixed texts.
#ifndef KILNBOOK_STORE_TEXT_FIELDS_H_
#define KILNBOOK_STORE_TEXT_FIELDS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "store/digest.h"

namespace kilnbook {

// A cursor over a text that is read in the order it was written. Each call
// reads one field at the cursor and moves past it; a call that returns false
// leaves the cursor where it was, and the caller gives up on the text (the
// formats are ours, so anything unexpected means a damaged file).
class TextFields {
 public:
  explicit TextFields(std::string_view text) : text_(text) {}

  // Exactly `word` (any bytes: separators and line feeds too).
  bool Word(std::string_view word);

  // Decimal digits, as AppendUnsignedNumber writes them.
  bool Unsigned(uint64_t& value);

  // An optional "-" and decimal digits, as AppendWideNumber writes them.
  bool Signed(int64_t& value);

  // 32 lowercase hexadecimal digits, as Digest::Hex writes them.
  bool DigestValue(Digest& value);

  // 16 lowercase hexadecimal digits, as AppendHex64 writes them.
  bool Hex64(uint64_t& value);

  // "<length>:<bytes>", as AppendFieldText writes it: any bytes, line feeds
  // and zero bytes included.
  bool Text(std::string& value);

  bool AtEnd() const { return text_.empty(); }

 private:
  std::string_view text_;
};

// Appends `text` as "<length>:<bytes>".
void AppendFieldText(std::string& out, std::string_view text);

// Appends `value` as 16 lowercase hexadecimal digits.
void AppendHex64(std::string& out, uint64_t value);

}  // namespace kilnbook

#endif  // KILNBOOK_STORE_TEXT_FIELDS_H_
