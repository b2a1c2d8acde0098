// The one cleaning applied where names and configuration values enter the
// system, and the plain and colour-markup forms of a player name.
#ifndef KILNBOOK_LOG_TEXT_CLEAN_H_
#define KILNBOOK_LOG_TEXT_CLEAN_H_

#include <string>
#include <string_view>

namespace kilnbook {

// Removes < > * 0xB4 ` | ' and the control bytes 0x12 0x14 0x1A, and turns
// & and " into "&amp;" and "&quot;". The result holds no data-file separator
// and no angle bracket, and every ampersand in it begins an entity, so it can
// be written into the data file and XML text as it is. Works on bytes.
std::string CleanText(std::string_view text);

// CleanText appended to `out`, which can then reuse its storage.
void AppendCleanText(std::string& out, std::string_view text);

// The XML entity of `c` (ampersand, double quote, apostrophe), or "".
std::string_view XmlEntity(char c);

// True when `text` holds none of the bytes that cleaning removes: a name or
// value read back from a file of ours that cleaning could have written.
bool IsCleanText(std::string_view text);

enum class NameMode { kPlain, kMarkup };

// Turns the colour codes of a cleaned name (a caret followed by 1 to 9) into
// nothing (kPlain) or into escaped FONT elements (kMarkup): "&lt;FONT
// COLOR=\"#FF0000\"&gt;" ... "&lt;/FONT&gt;". A caret followed by anything
// else, or ending the name, stays as text.
std::string ColorizeName(std::string_view name, NameMode mode);

// ColorizeName appended to `out`.
void AppendColorizedName(std::string& out, std::string_view name,
                         NameMode mode);

}  // namespace kilnbook

#endif  // KILNBOOK_LOG_TEXT_CLEAN_H_
