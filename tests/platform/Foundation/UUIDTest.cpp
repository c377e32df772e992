#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "Foundation/NSUUID.h"

TEST(UUID, UpperCaseTextOfARandomUUID) {
  const std::regex shape("^[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$");
  std::set<std::string> seen;
  for (int i = 0; i < 100; ++i) {
    std::string text = NSUUID().UUIDString();
    EXPECT_TRUE(std::regex_match(text, shape)) << text;
    seen.insert(text);
  }
  EXPECT_EQ(seen.size(), 100u);
  EXPECT_EQ(NSUUID::createString().size(), 36u);
}

TEST(UUID, TextRoundTrip) {
  NSUUID u;
  std::optional<NSUUID> back = NSUUID::fromString(u.UUIDString());
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, u);
  EXPECT_EQ(NSUUID::fromString("e621e1f8-c36c-495a-93fc-0c247a3e6e5f")->UUIDString(),
            "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
  for (const char* bad :
       {"", "E621E1F8C36C495A93FC0C247A3E6E5F", "E621E1F8-C36C-495A-93FC-0C247A3E6E5",
        "G621E1F8-C36C-495A-93FC-0C247A3E6E5F", "E621E1F8-C36C-495A-93FC_0C247A3E6E5F"})
    EXPECT_FALSE(NSUUID::fromString(bad)) << bad;
}
