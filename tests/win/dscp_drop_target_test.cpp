// The OLE drop target on a test window, with real drops made by another process.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dscp/drop_target_win.h"
#include "dscp/window_drops_win.h"
#include "shell/control_ids.h"
#include "test_processes.h"

namespace karuvel {
namespace {

struct WindowCloser {
  void operator()(HWND w) const { DestroyWindow(w); }
};

class DropTargetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ole_.ok());
    window_.reset(CreateWindowExW(0, L"STATIC", L"drop here", WS_OVERLAPPED | WS_VISIBLE, 100, 100, 400, 300,
                                  nullptr, nullptr, nullptr, nullptr));
    ASSERT_NE(window_.get(), nullptr);
    // A child control over part of the client area: drops on it must reach the window's target.
    child_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 200, 60, window_.get(),
                             nullptr, nullptr, nullptr);
    registration_ = DropTargetRegistration::Register(window_.get(), [this](const DropData& d, POINT, DWORD, DWORD&) {
      drops_.push_back(d);
    });
    ASSERT_NE(registration_, nullptr);
    UpdateWindow(window_.get());
  }

  // Runs drop_source at the centre of `target` and pumps messages until it is done.
  DWORD DropOn(HWND target, const std::wstring& args) {
    RECT r{};
    GetWindowRect(target, &r);
    HANDLE process = Launch(Quoted(BuildDir() + L"drop_source.exe") + L" " + std::to_wstring((r.left + r.right) / 2) +
                            L" " + std::to_wstring((r.top + r.bottom) / 2) + L" " + args);
    if (!process) return 999;
    const DWORD start = GetTickCount();
    while (MsgWaitForMultipleObjects(1, &process, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0 &&
           GetTickCount() - start < 15000) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    DWORD code = 999;
    if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) TerminateProcess(process, 999);
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return code;
  }

  OleSession ole_;
  std::unique_ptr<std::remove_pointer_t<HWND>, WindowCloser> window_;
  HWND child_ = nullptr;
  std::unique_ptr<DropTargetRegistration> registration_;
  std::vector<DropData> drops_;
};

TEST_F(DropTargetTest, FilesDroppedOnAChildArriveAsWidePaths) {
  EXPECT_EQ(DropOn(child_, L"\"C:\\スクリプト\\ソフト 表.ugu\""), static_cast<DWORD>(DROPEFFECT_COPY));
  ASSERT_EQ(drops_.size(), 1u);
  EXPECT_EQ(drops_[0].files, std::vector<Text>{u"C:\\スクリプト\\ソフト 表.ugu"});

  EXPECT_EQ(DropOn(window_.get(), L"C:\\a.ugu C:\\b.psn"), static_cast<DWORD>(DROPEFFECT_COPY));
  ASSERT_EQ(drops_.size(), 2u);
  EXPECT_EQ(drops_[1].files, (std::vector<Text>{u"C:\\a.ugu", u"C:\\b.psn"}));
}

TEST_F(DropTargetTest, DataWithoutFilesStillReachesTheCallbackAsZeroFiles) {
  EXPECT_EQ(DropOn(child_, L"--text \"just text\""), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(DropOn(child_, L"\"\""), static_cast<DWORD>(DROPEFFECT_COPY));  // a file list of one empty name
  ASSERT_EQ(drops_.size(), 2u);
  EXPECT_TRUE(drops_[0].files.empty());
  EXPECT_TRUE(drops_[1].files.empty());
}

TEST(DropKeyState, ButtonAndShiftFromTheKeyState) {
  EXPECT_EQ(DropButton(MK_LBUTTON), 1);
  EXPECT_EQ(DropButton(MK_RBUTTON | MK_MBUTTON), 6);
  EXPECT_EQ(DropShift(MK_SHIFT | MK_CONTROL | MK_LBUTTON), 3);
  EXPECT_EQ(DropShift(MK_ALT), 4);
}

TEST(WindowDrops, TheWindowAndSeventeenControlsTakeDropsLabel4AndShape1None) {
  using namespace ids;
  const std::vector<int> taking = {0,        kFrame4,    kCmd詳細, kFrame1, kCmd終了, kCmd切替,
                                   kCmd再読み込み, kFraパネル, kCbo切替スクリプト, kCbo切替対象, kLabel1, kLabel2,
                                   kFrame3,  kText1,     kFrame2,  kText2,  kLblVersion, kLabel3};
  for (int id : taking) EXPECT_NE(DropHandlerFor(id), nullptr) << id;
  EXPECT_EQ(DropHandlerFor(0), &Form_OLEDragDrop);
  EXPECT_EQ(DropHandlerFor(kText1), &Text1_OLEDragDrop);
  EXPECT_EQ(DropHandlerFor(kLabel4), nullptr);
  EXPECT_EQ(DropHandlerFor(kShape1), nullptr);
}

}  // namespace
}  // namespace karuvel
