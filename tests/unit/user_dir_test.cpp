#include "settings/user_dir.h"

#include <gtest/gtest.h>

namespace karuvel {
namespace {

// How the root and the name are joined is pinned by the start-up cases.
TEST(UserDir, EmptyOrBlankNameIsDefault) {
  EXPECT_EQ(UserNameOrDefault(u""), u"default");
  EXPECT_EQ(UserNameOrDefault(u"   "), u"default");
  EXPECT_EQ(UserNameOrDefault(u" a "), u" a ");
  EXPECT_EQ(UserNameOrDefault(u"\t"), u"\t");          // only spaces are trimmed
  EXPECT_EQ(UserNameOrDefault(u"\u3000"), u"\u3000");  // the full-width space is a name
  EXPECT_EQ(MemoIniPath(BuildUserDir(u"C:\\ZMemo", UserNameOrDefault(u" "))), u"C:\\ZMemo\\USERS\\default\\memo.ini");
}

}  // namespace
}  // namespace karuvel
