#include "log/text_clean.h"

#include <gtest/gtest.h>

namespace kilnbook {
namespace {

TEST(TextCleanTest, CleanText) {
  struct Case {
    std::string input;
    std::string expected;
  } cases[] = {
      {"Bob", "Bob"},
      {"<Bob's>", "Bobs"},
      {"Fish & Chips", "Fish &amp; Chips"},
      {"say \"hi\"", "say &quot;hi&quot;"},
      {"a*b`c|d", "abcd"},
      {std::string("x\xB4y"), "xy"},
      {std::string("a\x14\x14"
                   "b\x12\x1A"),
       "ab"},
      {std::string("caf\xE9 \xC3\xA9"), std::string("caf\xE9 \xC3\xA9")},
      {"^1Red^7Man", "^1Red^7Man"},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CleanText(c.input), c.expected) << "input: " << c.input;
    std::string appended = "x";
    AppendCleanText(appended, c.input);
    EXPECT_EQ(appended, "x" + c.expected) << "input: " << c.input;
  }
}

TEST(TextCleanTest, CleanTextNeverLeavesAnApostropheEntity) {
  EXPECT_EQ(CleanText("it's"), "its");
}

TEST(TextCleanTest, XmlEntity) {
  EXPECT_EQ(XmlEntity('&'), "&amp;");
  EXPECT_EQ(XmlEntity('"'), "&quot;");
  EXPECT_EQ(XmlEntity('\''), "&apos;");
  EXPECT_EQ(XmlEntity('a'), "");
  EXPECT_EQ(XmlEntity('<'), "");
}

std::string Open(const char* colour) {
  return std::string("&lt;FONT COLOR=\"") + colour + "\"&gt;";
}
const std::string kClose = "&lt;/FONT&gt;";

TEST(TextCleanTest, ColorizeName) {
  struct Case {
    std::string name;
    std::string plain;
    std::string markup;
  } cases[] = {
      {"^1Red^7Man", "RedMan",
       Open("#FF0000") + "Red" + kClose + Open("#FFFFFF") + "Man" + kClose},
      {"Plain", "Plain", "Plain"},
      {"Bob^0", "Bob^0", "Bob^0"},
      {"Bob^", "Bob^", "Bob^"},
      {"^3", "", Open("#FFFF00") + kClose},
      {"^1^2A", "A", Open("#FF0000") + kClose + Open("#00A833") + "A" + kClose},
      {"x^9y", "xy", "x" + Open("#FF0000") + "y" + kClose},
      {"^4a^5b^6c^8d", "abcd",
       Open("#0A00E8") + "a" + kClose + Open("#00C8C8") + "b" + kClose +
           Open("#FFA0A0") + "c" + kClose + Open("#000000") + "d" + kClose},
      {"^^1A", "^A", "^" + Open("#FF0000") + "A" + kClose},
      {"a^b^2c", "a^bc", "a^b" + Open("#00A833") + "c" + kClose},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ColorizeName(c.name, NameMode::kPlain), c.plain)
        << "name: " << c.name;
    EXPECT_EQ(ColorizeName(c.name, NameMode::kMarkup), c.markup)
        << "name: " << c.name;
    std::string appended = "^1";
    AppendColorizedName(appended, c.name, NameMode::kMarkup);
    EXPECT_EQ(appended, "^1" + c.markup) << "name: " << c.name;
  }
}

// Text that cleaning leaves as it is, and only that, is clean.
TEST(TextCleanTest, CleanTextIsWhatCleaningKeeps) {
  for (std::string text :
       {std::string("Bob^7 &amp; Co"), std::string("a<b"), std::string("x|y"),
        std::string("\xB4"), std::string("\x12"), std::string("Ren\xE9")}) {
    EXPECT_EQ(IsCleanText(text),
              CleanText(text) == text || text.find('&') != std::string::npos)
        << text;
  }
}

}  // namespace
}  // namespace kilnbook
