#include "model/name_pool.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace kilnbook {
namespace {

TEST(NamePoolTest, EqualTextsShareOneNumber) {
  NamePool pool;
  const std::string texts[] = {"",
                               "Bob",
                               "bob",
                               "Bob ",
                               "B",
                               "\xE9t\xE9",
                               std::string("a\0b", 3),
                               "[WW2]Rookie",
                               "[WW2]Rooki",
                               std::string(70000, 'x')};
  std::vector<NameId> ids;
  for (const std::string& text : texts) {
    ids.push_back(pool.Intern(text));
  }
  EXPECT_EQ(ids[0], NamePool::kEmpty);
  for (size_t i = 0; i < ids.size(); ++i) {
    EXPECT_EQ(pool.Intern(texts[i]), ids[i]) << i;
    EXPECT_EQ(pool.Text(ids[i]), texts[i]) << i;
    for (size_t j = 0; j < i; ++j) {
      EXPECT_NE(ids[i], ids[j]) << i << " " << j;
    }
  }
  EXPECT_EQ(pool.size(), std::size(texts));
}

TEST(NamePoolTest, TextsStayPutWhileThePoolGrows) {
  NamePool pool;
  std::vector<std::string_view> views;
  for (int i = 0; i < 20000; ++i) {
    std::string text = "player" + std::to_string(i);
    NameId id = pool.Intern(text);
    views.push_back(pool.Text(id));
  }
  for (int i = 0; i < 20000; ++i) {
    std::string text = "player" + std::to_string(i);
    EXPECT_EQ(views[i], text);
    EXPECT_EQ(pool.Text(pool.Intern(text)).data(), views[i].data());
  }
}

TEST(NamePoolTest, LessIsByteOrderWithPrefixFirst) {
  const struct {
    std::string a;
    std::string b;
  } ordered[] = {
      {"", "a"},
      {"A", "a"},
      {"a", "ab"},
      {"Zed", "\xE9t\xE9"},       // bytes above 0x7F after ASCII
      {"abcdefgh", "abcdefghi"},  // equal first eight bytes
      {"[WW2]Rooka", "[WW2]Rookie"},
      {"a", std::string("a\0", 2)},  // a zero byte is still a byte
      {std::string("a\0", 2), std::string("a\0\0", 3)},
      {std::string("a\0\xFF", 3), "a\x01"},
  };
  NamePool pool;
  for (const auto& c : ordered) {
    NameId a = pool.Intern(c.a);
    NameId b = pool.Intern(c.b);
    ASSERT_LT(std::string_view(c.a), std::string_view(c.b)) << "bad case";
    EXPECT_TRUE(pool.Less(a, b)) << c.a << " < " << c.b;
    EXPECT_FALSE(pool.Less(b, a)) << c.b << " < " << c.a;
    EXPECT_FALSE(pool.Less(a, a)) << c.a;
  }
}

}  // namespace
}  // namespace kilnbook
