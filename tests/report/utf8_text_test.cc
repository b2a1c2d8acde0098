// The one repair of names into valid UTF-8, for the parser and for the feed.
#include "report/utf8_text.h"

#include <gtest/gtest.h>

#include <string>

namespace kilnbook {
namespace {

TEST(RepairedUtf8Test, KeepsUtf8ReadsLatin1AndDropsWhatXmlForbids) {
  struct Case {
    std::string input;
    std::string xml;    // kXmlCharacters
    std::string bytes;  // kBytesOnly
  } cases[] = {
      {"", "", ""},
      {"plain <A>text</A>", "plain <A>text</A>", "plain <A>text</A>"},
      {"\t\n\r kept", "\t\n\r kept", "\t\n\r kept"},
      {std::string("a\0b", 3), "a?b", std::string("a\0b", 3)},
      {"\x01\x08\x0B\x0C\x0E\x1B\x1F", "???????",
       "\x01\x08\x0B\x0C\x0E\x1B\x1F"},
      {"\x7F", "\x7F", "\x7F"},
      // Latin-1 bytes become their UTF-8 form.
      {"Ren\xE9", "Ren\xC3\xA9", "Ren\xC3\xA9"},
      {"\xFF\x80", "\xC3\xBF\xC2\x80", "\xC3\xBF\xC2\x80"},
      {"&amp;\xFF", "&amp;\xC3\xBF", "&amp;\xC3\xBF"},
      // Well-formed UTF-8 is kept, next to a Latin-1 byte too.
      {"Ren\xC3\xA9 \xE9", "Ren\xC3\xA9 \xC3\xA9", "Ren\xC3\xA9 \xC3\xA9"},
      {"\xE2\x82\xAC\xF0\x9F\x98\x80", "\xE2\x82\xAC\xF0\x9F\x98\x80",
       "\xE2\x82\xAC\xF0\x9F\x98\x80"},
      // Overlong forms, surrogates and truncated sequences are not UTF-8.
      {"\xC0\xAF", "\xC3\x80\xC2\xAF", "\xC3\x80\xC2\xAF"},
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},
      {"\xC3", "\xC3\x83", "\xC3\x83"},
      {"\xE2\x82", "\xC3\xA2\xC2\x82", "\xC3\xA2\xC2\x82"},
      {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80",
       "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"},
      // Non-characters of XML are characters of JSON.
      {"\xEF\xBF\xBE\xEF\xBF\xBF", "\xEF\xBF\xBD\xEF\xBF\xBD",
       "\xEF\xBF\xBE\xEF\xBF\xBF"},
      {"\xED\x9F\xBF\xF4\x8F\xBF\xBF\xEF\xBF\xBD",
       "\xED\x9F\xBF\xF4\x8F\xBF\xBF\xEF\xBF\xBD",
       "\xED\x9F\xBF\xF4\x8F\xBF\xBF\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RepairedUtf8(c.input, Utf8Repair::kXmlCharacters), c.xml)
        << c.input;
    EXPECT_EQ(RepairedUtf8(c.input, Utf8Repair::kBytesOnly), c.bytes)
        << c.input;
    // The check that spares the copy agrees with the repair.
    for (Utf8Repair repair :
         {Utf8Repair::kXmlCharacters, Utf8Repair::kBytesOnly}) {
      std::string repaired = RepairedUtf8(c.input, repair);
      EXPECT_EQ(IsRepairedUtf8(c.input, repair), repaired == c.input)
          << c.input;
      EXPECT_TRUE(IsRepairedUtf8(repaired, repair)) << c.input;
    }
  }
}

}  // namespace
}  // namespace kilnbook
