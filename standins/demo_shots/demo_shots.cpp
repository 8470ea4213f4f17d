// Demo helper for tools/run.sh without a display: starts karuvel.exe, saves a screenshot of the
// collapsed window, opens the expanded view, switches to the note's second script and saves
// another, then tries the note's broken script and saves the message box, then ends Karuvel.
//   demo_shots <karuvel.exe> <output directory>
#include <windows.h>

#include <cstdio>
#include <string>

#include "shell/control_ids.h"
#include "standins/demo_shots/screenshot_win.h"
#include "standins/window_driver_win.h"

using namespace karuvel::e2e;
using namespace karuvel::ids;

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: demo_shots <karuvel.exe> <output directory>\n");
    return 2;
  }
  const std::wstring out = std::wstring(argv[2]) + L"\\";
  wchar_t exe[MAX_PATH] = {};
  GetFullPathNameW(argv[1], MAX_PATH, exe, nullptr);
  KaruvelProcess karuvel(exe);
  if (!karuvel.process) return 3;
  HWND window = karuvel.WaitReady(2);  // the demo's two notes
  if (!window) {
    std::fprintf(stderr, "demo_shots: Karuvel did not come up with its notes\n");
    return 4;
  }
  SetForegroundWindow(window);  // an active caption, as a user sees the window they work in
  WaitUntil([&] { return GetForegroundWindow() == window; });
  karuvel.Settle();
  const bool collapsed = SavePainted(window, out + L"karuvel-collapsed.bmp");

  Click(karuvel.Control(kCmd詳細));
  WaitUntil([&] { return IsWindowEnabled(karuvel.Control(kRequestBox)); });
  Choose(karuvel.Control(kCbo切替スクリプト), 1);
  Click(karuvel.Control(kCmd切替));
  // The stand-in host's answer to a LOAD it carried out, and the buttons on again after it.
  const bool replied = karuvel.Settle() && ReadText(karuvel.Control(kReplyBox)).rfind(L"DSCP/1.3 200 OK\r\n", 0) == 0;
  const bool expanded = SavePainted(window, out + L"karuvel-expanded.bmp");

  // The demo note's fourth script has no data directory: its switch shows the package message.
  Choose(karuvel.Control(kCbo切替スクリプト), 3);
  Click(karuvel.Control(kCmd切替));
  HWND box = karuvel.WaitMessageBox();
  bool message = false;
  if (box) {
    karuvel.Settle();  // handled inside the box's own loop, once the box is up
    message = SavePainted(box, out + L"karuvel-message.bmp");
    PressOk(box);
  }
  std::printf("collapsed %s, expanded %s, reply %s, message %s\n", collapsed ? "saved" : "FAILED",
              expanded ? "saved" : "FAILED", replied ? "shown" : "MISSING", message ? "saved" : "FAILED");
  return collapsed && expanded && replied && message ? 0 : 1;
}
