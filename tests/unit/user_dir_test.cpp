#include "settings/user_dir.h"

#include <gtest/gtest.h>

namespace karuvel {
namespace {

TEST(UserDir, JoinsRootAndUserAsIs) {
  struct Case {
    Text root, user, dir;
  };
  const Case cases[] = {
      {u"C:\\ZMemo", u"U", u"C:\\ZMemo\\USERS\\U\\"},
      {u"C:\\ZMemo\\", u"U", u"C:\\ZMemo\\\\USERS\\U\\"},
      {u" C:\\Z Memo ", u"user ", u" C:\\Z Memo \\USERS\\user \\"},
      {u"D:\\表ソ", u"能", u"D:\\表ソ\\USERS\\能\\"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BuildUserDir(c.root, c.user), c.dir);
  }
  EXPECT_EQ(MemoIniPath(BuildUserDir(u"C:\\ZMemo", u"U")), u"C:\\ZMemo\\USERS\\U\\memo.ini");
}

TEST(UserDir, EmptyOrBlankNameIsDefault) {
  EXPECT_EQ(UserNameOrDefault(u""), u"default");
  EXPECT_EQ(UserNameOrDefault(u"   "), u"default");
  EXPECT_EQ(UserNameOrDefault(u" a "), u" a ");
  EXPECT_EQ(UserNameOrDefault(u"\t"), u"\t");          // only spaces are trimmed
  EXPECT_EQ(UserNameOrDefault(u"\u3000"), u"\u3000");  // the full-width space is a name
  EXPECT_EQ(BuildUserDir(u"C:\\ZMemo", UserNameOrDefault(u" ")), u"C:\\ZMemo\\USERS\\default\\");
}

}  // namespace
}  // namespace karuvel
