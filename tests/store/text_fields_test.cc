// The fields of our small state-file formats, read back as written.
#include "store/text_fields.h"

#include <gtest/gtest.h>

#include <string>

#include "log/number_text.h"

namespace kilnbook {
namespace {

TEST(TextFieldsTest, ReadsBackWhatWasWrittenAndRefusesDamage) {
  const std::string name("a b\n\0:c", 7);
  std::string text = Digest::Of("x").Hex() + " ";
  AppendUnsignedNumber(text, 18446744073709551615u);
  text += ' ';
  AppendWideNumber(text, -42);
  text += ' ';
  AppendFieldText(text, name);
  text += ' ';
  AppendHex64(text, 0x8182838485868788u);
  text += '\n';
  TextFields in(text);
  Digest digest;
  uint64_t big = 0;
  int64_t negative = 0;
  std::string readName;
  uint64_t marker = 0;
  EXPECT_TRUE(in.DigestValue(digest) && in.Word(" ") && in.Unsigned(big) &&
              in.Word(" ") && in.Signed(negative) && in.Word(" ") &&
              in.Text(readName) && in.Word(" ") && in.Hex64(marker) &&
              in.Word("\n") && in.AtEnd());
  EXPECT_EQ(marker, 0x8182838485868788u);
  EXPECT_EQ(digest, Digest::Of("x"));
  EXPECT_EQ(big, 18446744073709551615u);
  EXPECT_EQ(negative, -42);
  EXPECT_EQ(readName, name);

  // A field that is not there fails and leaves the cursor where it was.
  auto refused = [](const std::string& damaged, auto read) {
    TextFields at(damaged);
    return !read(at) && at.Word(damaged);
  };
  auto number = [&](TextFields& at) { return at.Unsigned(big); };
  auto length = [&](TextFields& at) { return at.Text(readName); };
  auto hex = [&](TextFields& at) { return at.DigestValue(digest); };
  EXPECT_TRUE(refused("-1", number));
  EXPECT_TRUE(refused("18446744073709551616", number));
  EXPECT_TRUE(refused("5:abcd", length));
  EXPECT_TRUE(refused("3abc", length));
  EXPECT_TRUE(refused(std::string(31, 'a'), hex));
  EXPECT_TRUE(refused(std::string(32, 'A'), hex));
  auto hex64 = [&](TextFields& at) { return at.Hex64(marker); };
  EXPECT_TRUE(refused(std::string(15, 'f'), hex64));
  EXPECT_TRUE(refused("0123456789abcdeF", hex64));
}

}  // namespace
}  // namespace kilnbook
