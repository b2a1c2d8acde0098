// The catalogue's codes, identifiers and names in order are checked byte for
// byte through the weapons section (report/weapon_xml_test.cc); here only
// the lookup by code.
#include "model/weapon_table.h"

#include <gtest/gtest.h>

namespace kilnbook {
namespace {

TEST(WeaponTableTest, TextFindsEveryEntryByCode) {
  WeaponTable table;
  ASSERT_EQ(table.entries().size(), 25u);
  for (const WeaponEntry& e : table.entries()) {
    EXPECT_EQ(table.Text(e.code, true), e.displayName) << "code " << e.code;
    EXPECT_EQ(table.Text(e.code, false), e.identifier) << "code " << e.code;
  }
}

TEST(WeaponTableTest, CodesWithoutEntryHaveNoText) {
  WeaponTable table;
  for (int32_t code :
       {-1022, -1, 1, 2, 9, 13, 33, 57, 59, 1022, INT32_MAX, INT32_MIN}) {
    EXPECT_FALSE(table.Text(code, true).has_value()) << "code " << code;
    EXPECT_FALSE(table.Text(code, false).has_value()) << "code " << code;
  }
  // Asking never extends the catalogue.
  EXPECT_EQ(table.entries().size(), 25u);
}

}  // namespace
}  // namespace kilnbook
