// The fields of our small state-file formats, read back as written.
#include "store/text_fields.h"

#include <gtest/gtest.h>

#include <string>

#include "log/number_text.h"

namespace kilnbook {
namespace {

TEST(TextFieldsTest, ReadsBackWhatWasWritten) {
  const Digest digest = Digest::Of("x");
  const std::string name("a b\n\0:c", 7);
  std::string text = "entry " + digest.Hex() + " ";
  AppendUnsignedNumber(text, 18446744073709551615u);
  text += ' ';
  AppendWideNumber(text, -42);
  text += ' ';
  AppendFieldText(text, name);
  AppendFieldText(text, "");
  text += '\n';

  TextFields in(text);
  Digest readDigest;
  uint64_t big = 0;
  int64_t negative = 0;
  std::string readName;
  std::string empty = "unset";
  EXPECT_TRUE(in.Word("entry ") && in.DigestValue(readDigest) &&
              in.Word(" ") && in.Unsigned(big) && in.Word(" ") &&
              in.Signed(negative) && in.Word(" ") && in.Text(readName) &&
              in.Text(empty) && in.Word("\n") && in.AtEnd());
  EXPECT_EQ(readDigest, digest);
  EXPECT_EQ(big, 18446744073709551615u);
  EXPECT_EQ(negative, -42);
  EXPECT_EQ(readName, name);
  EXPECT_EQ(empty, "");
}

// A field that is not there fails and leaves the cursor where it was.
TEST(TextFieldsTest, DamagedFieldsAreRefused) {
  using Read = bool (*)(TextFields&);
  const Read word = [](TextFields& in) { return in.Word("entry"); };
  const Read number = [](TextFields& in) {
    uint64_t value;
    return in.Unsigned(value);
  };
  const Read digest = [](TextFields& in) {
    Digest value;
    return in.DigestValue(value);
  };
  const Read lengthText = [](TextFields& in) {
    std::string value;
    return in.Text(value);
  };
  struct Case {
    const char* what;
    std::string text;
    Read read;
  } cases[] = {
      {"other word", "entri", word},
      {"no digits", "-x", number},
      {"negative unsigned", "-1", number},
      {"too large", "18446744073709551616", number},
      {"short digest", std::string(31, 'a'), digest},
      {"upper-case digest", std::string(32, 'A'), digest},
      {"text longer than the rest", "5:abcd", lengthText},
      {"text without colon", "3abc", lengthText},
  };
  for (const Case& c : cases) {
    TextFields in(c.text);
    EXPECT_FALSE(c.read(in)) << c.what;
    EXPECT_TRUE(in.Word(c.text)) << c.what;
  }
}

}  // namespace
}  // namespace kilnbook
