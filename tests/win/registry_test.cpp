// cReg against the prefix's real registry, below a private key under HKEY_CURRENT_USER.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/ansi.h"
#include "settings/reg.h"
#include "settings/user_dir.h"

namespace karuvel {
namespace {

const wchar_t kTestRootW[] = L"Software\\KaruvelRegistryTest";
const Text kTestRoot = u"Software\\KaruvelRegistryTest";

const wchar_t* W(const Text& t) { return reinterpret_cast<const wchar_t*>(t.c_str()); }

class Registry : public testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, kTestRootW);
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTestRootW, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegCloseKey(key_);
    RegDeleteTreeW(HKEY_CURRENT_USER, kTestRootW);
  }
  // Stores raw bytes of the ANSI form, as another program may have written them.
  void PutAnsi(const char* name, DWORD type, const std::string& bytes) {
    ASSERT_EQ(RegSetValueExA(key_, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
  }
  Text Get(const Text& name) const { return cReg().RegGetString(HKEY_CURRENT_USER, kTestRoot, name); }

  HKEY key_ = nullptr;
};

TEST_F(Registry, MissingKeyOrValueIsEmpty) {
  EXPECT_EQ(cReg().RegGetString(HKEY_CURRENT_USER, kTestRoot + u"\\Missing", u"Root"), u"");
  EXPECT_EQ(Get(u"Root"), u"");
  PutAnsi("Root", REG_SZ, std::string("C:\\ZMemo", 9));
  EXPECT_EQ(Get(u"Root"), u"C:\\ZMemo");
  EXPECT_EQ(Get(u"root"), u"C:\\ZMemo");  // value names are matched regardless of case
}

TEST_F(Registry, OnlyRegSzCounts) {
  PutAnsi("Expand", REG_EXPAND_SZ, std::string("C:\\ZMemo", 9));
  PutAnsi("Binary", REG_BINARY, std::string("C:\\ZMemo", 9));
  const DWORD number = 5;
  ASSERT_EQ(RegSetValueExA(key_, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number),
            ERROR_SUCCESS);
  EXPECT_EQ(Get(u"Expand"), u"");
  EXPECT_EQ(Get(u"Binary"), u"");
  EXPECT_EQ(Get(u"Number"), u"");
}

TEST_F(Registry, TextIsCutAtItsFirstNulAndKeepsItsSpaces) {
  PutAnsi("Inner", REG_SZ, std::string("C:\\Z\0Memo\0", 10));
  PutAnsi("Empty", REG_SZ, std::string("\0", 1));
  PutAnsi("Spaced", REG_SZ, std::string("  C:\\Z Memo  \0", 14));
  EXPECT_EQ(Get(u"Inner"), u"C:\\Z");
  EXPECT_EQ(Get(u"Empty"), u"");
  EXPECT_EQ(Get(u"Spaced"), u"  C:\\Z Memo  ");
}

TEST_F(Registry, ReadsUpTo255AnsiBytes) {
  struct Case {
    Text text;
    bool whole;
  };
  const Text kanji127(127, u'表');  // 254 bytes in code page 932
  const Case cases[] = {
      {Text(255, u'a'), true},
      {Text(256, u'a'), false},
      {Text(300, u'a'), false},
      {kanji127 + u"a", true},  // 255 bytes, 128 characters
      {kanji127 + u"表", false},  // 256 bytes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.size());
    ASSERT_TRUE(cReg().RegSetString(HKEY_CURRENT_USER, kTestRoot, u"Long", c.text));
    EXPECT_EQ(Get(u"Long"), c.whole ? c.text : Text());
  }
}

TEST_F(Registry, SetStringCreatesTheKeyPathAndStoresJapaneseWhole) {
  const Text subKey = kTestRoot + u"\\新しい\\表示ソ能";
  const Text value = u" C:\\表示\\ソ能\\ZMemo ";
  ASSERT_TRUE(cReg().RegSetString(HKEY_CURRENT_USER, subKey, u"Root", value));
  EXPECT_EQ(cReg().RegGetString(HKEY_CURRENT_USER, subKey, u"Root"), value);

  // Seen through the Unicode API too: the whole text and nothing after it.
  wchar_t stored[64] = {};
  DWORD size = sizeof stored;
  DWORD type = 0;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, W(subKey), L"Root", RRF_RT_ANY, &type, stored, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(Text(reinterpret_cast<const char16_t*>(stored)), value);
  EXPECT_EQ(size, (value.size() + 1) * sizeof(wchar_t));

  // Writing again replaces the text, including with the empty string.
  ASSERT_TRUE(cReg().RegSetString(HKEY_CURRENT_USER, subKey, u"Root", u""));
  EXPECT_EQ(cReg().RegGetString(HKEY_CURRENT_USER, subKey, u"Root"), u"");
}

TEST_F(Registry, SetStringBelowAKeyThatCannotBeOpenedIsFalse) {
  const HKEY bogus = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234));
  EXPECT_FALSE(cReg().RegSetString(bogus, u"Sub", u"Root", u"x"));
  EXPECT_EQ(cReg().RegGetString(bogus, u"Sub", u"Root"), u"");
}

TEST(UserName, IsTheLogonNameOrDefault) {
  wchar_t wide[256] = {};
  DWORD size = 256;
  ASSERT_TRUE(GetUserNameW(wide, &size));
  const Text expected = UserNameOrDefault(reinterpret_cast<const char16_t*>(wide));
  EXPECT_EQ(GetCurrentUserName(), expected);
  EXPECT_NE(GetCurrentUserName(), u"");
}

}  // namespace
}  // namespace karuvel
