// The window's Win32 half where a whole program is not needed: a window that cannot be made says
// why, and twips become the pixels the system's own rounding gives.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/dpi.h"
#include "common/error_box_win.h"
#include "shell/frm_winsock_win.h"

namespace karuvel {
namespace {

TEST(Window, ASecondWindowInTheProcessFailsWithTheSystemsReason) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  FrmWinSock first;
  ASSERT_EQ(first.Load(instance), 0u);
  FrmWinSock second;
  const DWORD error = second.Load(instance);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
  const Text report = ErrorReportText(error);
  EXPECT_EQ(report.substr(0, 14), u"ERROR #1410 : ");
  EXPECT_GT(report.size(), 14u);
  EXPECT_NE(report.back(), u'\n');
}

TEST(Window, TwipsBecomePixelsAsMulDivRoundsThem) {
  for (int dpi : {96, 120, 144, 192})
    for (int twips = -3000; twips <= 12000; ++twips) {
      ASSERT_EQ(TwipsToPixels(twips, dpi), MulDiv(twips, dpi, 1440)) << twips << " at " << dpi;
      ASSERT_EQ(PixelsToTwips(twips / 8, dpi), MulDiv(twips / 8, 1440, dpi)) << twips / 8 << " at " << dpi;
    }
}

}  // namespace
}  // namespace karuvel
