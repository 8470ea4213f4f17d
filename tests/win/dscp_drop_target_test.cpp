// Which controls take drops, and the key state a drop reports. Real drops on karuvel.exe are
// made end to end.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "dscp/drop_target_win.h"
#include "dscp/window_drops_win.h"
#include "shell/control_ids.h"

namespace karuvel {
namespace {

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
