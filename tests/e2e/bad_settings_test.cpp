// The program with a memo.ini that another handle locks: what the user sees.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "karuvel_driver.h"
#include "shell/control_ids.h"

namespace karuvel::e2e {
namespace {

using namespace ids;
using Entries = std::vector<std::wstring>;

const std::wstring kNoNotes =
    L"切替可能な付箋がありません。\r"
    L"付箋の設定画面で『DSCPを有効にする』をチェックした後に、ZMemoを再起動してください。";

class BadSettingsE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    root_ = MakeZMemoRoot(L"bad-" + std::wstring(name.begin(), name.end()));
    SetZMemoRoot(root_);
    memo_ = MemoIniOf(root_);
  }
  void TearDown() override {
    Unlock();
  }

  // Another handle on memo.ini that shares nothing, as a backup tool or an editor might hold it.
  void Lock() {
    lock_ = CreateFileW(memo_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock_, INVALID_HANDLE_VALUE);
  }
  void Unlock() {
    if (lock_ != INVALID_HANDLE_VALUE) CloseHandle(lock_);
    lock_ = INVALID_HANDLE_VALUE;
  }
  HWND C(int id) const { return karuvel_.Control(id); }

  std::wstring root_, memo_;
  HANDLE lock_ = INVALID_HANDLE_VALUE;
  Karuvel karuvel_;
};

const char kTwoNotes[] = "1_ScriptEnableDscpServer=true\r\n1_ETag=ONE\r\n2_ScriptEnableDscpServer=true\r\n2_ETag=TWO\r\n";

TEST_F(BadSettingsE2e, ReloadWhileTheFileIsLockedShowsTheNotesOfTheLastLoad) {
  ASSERT_TRUE(WriteBytes(memo_, kTwoNotes));
  ASSERT_TRUE(karuvel_.Start());
  ASSERT_NE(karuvel_.WaitReady(2), nullptr);
  Choose(C(kCbo切替対象), 1);
  ASSERT_TRUE(WaitUntil([&] { return ListSelection(C(kCbo切替対象)) == 1; }));

  Lock();
  Click(C(kCmd再読み込み));
  // The reload refills the list from the table it kept, and chooses the first note again.
  ASSERT_TRUE(WaitUntil([&] { return ListSelection(C(kCbo切替対象)) == 0; }));
  EXPECT_EQ(ListEntries(C(kCbo切替対象)), (Entries{L"ONE", L"TWO"}));
  EXPECT_EQ(karuvel_.WaitMessageBox(300), nullptr);

  Unlock();
  ASSERT_TRUE(WriteBytes(memo_, "7_ScriptEnableDscpServer=true\r\n7_ETag=SEVEN\r\n"));
  Click(C(kCmd再読み込み));
  EXPECT_TRUE(WaitUntil([&] { return ListEntries(C(kCbo切替対象)) == Entries{L"SEVEN"}; }));
}

TEST_F(BadSettingsE2e, FileLockedAtStartUpReadsAsNoNotes) {
  // It exists, so start-up goes on, but it cannot be read: no note can be switched.
  ASSERT_TRUE(WriteBytes(memo_, kTwoNotes));
  Lock();
  ASSERT_TRUE(karuvel_.Start());
  HWND box = karuvel_.WaitMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), kNoNotes);
  PressOk(box);
  EXPECT_EQ(karuvel_.WaitExit(), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace karuvel::e2e
