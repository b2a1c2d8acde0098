// File names built from names that strangers choose.
#include "config/file_names.h"

#include <gtest/gtest.h>

#include <string>

namespace kilnbook {
namespace {

TEST(PlayerPageFileNameTest, SlashesBecomeUnderscores) {
  struct Case {
    std::string plainName;
    std::string expected;
  } cases[] = {
      {"Bob", "Bob.html"},         {"", ".html"},
      {"..", "...html"},           {"../x", ".._x.html"},
      {"a/b", "a_b.html"},         {"/etc/passwd", "_etc_passwd.html"},
      {"a\\b", "a\\b.html"},       {std::string("a\0b", 3), "a_b.html"},
      {"Ren\xE9", "Ren\xE9.html"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PlayerPageFileName(c.plainName), c.expected) << c.plainName;
  }
}

}  // namespace
}  // namespace kilnbook
