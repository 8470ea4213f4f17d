// Karuvel only reads: a whole session of start-up, reloads, choices, switches and drops leaves the
// current user's registry branch and every file under ZMemo's root exactly as they were. The
// stand-in host runs without a ZMemo root, so it answers without recording the loaded scripts in
// memo.ini as ZMemo would: every change found is Karuvel's.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "dscp_e2e.h"
#include "karuvel_driver.h"
#include "shell/control_ids.h"

namespace karuvel::e2e {
namespace {

using namespace ids;

// Everything observable of a registry branch or a directory tree, by path: a key's or directory's
// last-write time, a value's type and bytes, a file's size, bytes and creation and write times.
// Access times are left out: reading a file is allowed to change them.
using Snapshot = std::map<std::wstring, std::string>;

std::string TimeText(const FILETIME& t) {
  return std::to_string((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}

void SnapshotKey(HKEY parent, const std::wstring& name, const std::wstring& path, Snapshot& out) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    out[path] = "unreadable";
    return;
  }
  DWORD subkeys = 0, maxSubkey = 0, values = 0, maxValueName = 0, maxData = 0;
  FILETIME written{};
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr, &values, &maxValueName, &maxData,
                   nullptr, &written);
  out[path] = "key written " + TimeText(written);
  for (DWORD i = 0; i < values; ++i) {
    std::wstring valueName(maxValueName + 2, L'\0');
    DWORD nameLength = static_cast<DWORD>(valueName.size());
    std::string data(maxData + 1, '\0');
    DWORD dataLength = static_cast<DWORD>(data.size());
    DWORD type = 0;
    if (RegEnumValueW(key, i, &valueName[0], &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]),
                      &dataLength) != ERROR_SUCCESS)
      continue;
    valueName.resize(nameLength);
    data.resize(dataLength);
    out[path + L"\\\\" + valueName] = "value type " + std::to_string(type) + " " + data;
  }
  for (DWORD i = 0; i < subkeys; ++i) {
    std::wstring subkey(maxSubkey + 2, L'\0');
    DWORD length = static_cast<DWORD>(subkey.size());
    if (RegEnumKeyExW(key, i, &subkey[0], &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) continue;
    subkey.resize(length);
    SnapshotKey(key, subkey, path + L"\\" + subkey, out);
  }
  RegCloseKey(key);
}

// Every file and directory below `dir`, down to `depth` levels; on the last level files only, since
// a directory's time there would tell of changes below it that are not looked at.
void SnapshotTree(const std::wstring& dir, Snapshot& out, int depth = 64) {
  WIN32_FIND_DATAW data{};
  HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = dir + L"\\" + name;
    const std::string common = " attributes " + std::to_string(data.dwFileAttributes) + " created " +
                               TimeText(data.ftCreationTime) + " written " + TimeText(data.ftLastWriteTime);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (depth <= 1) continue;
      out[path] = "directory" + common;
      SnapshotTree(path, out, depth - 1);
    } else {
      out[path] = "file size " + std::to_string(data.nFileSizeLow) + common + " " + ReadFileBytes(path);
    }
  } while (FindNextFileW(search, &data));
  FindClose(search);
}

std::wstring Environment(const wchar_t* name) {
  wchar_t value[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableW(name, value, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(value, n) : std::wstring();
}

// The current user's registry branch, ZMemo's root, and where a program would keep settings of its
// own: the user's profile folder and AppData a few levels down, and the folder of karuvel.exe.
// (Deeper down, Wine links shell folders such as Templates to the Unix home.)
Snapshot TakeSnapshot(const std::wstring& zmemoRoot) {
  Snapshot snapshot;
  SnapshotKey(HKEY_CURRENT_USER, L"", L"HKCU", snapshot);
  SnapshotTree(zmemoRoot, snapshot);
  const std::wstring profile = Environment(L"USERPROFILE");
  SnapshotTree(profile, snapshot, 1);
  SnapshotTree(profile + L"\\AppData", snapshot, 3);
  const std::wstring exe = KaruvelExePath();
  SnapshotTree(exe.substr(0, exe.find_last_of(L'\\')), snapshot, 1);
  return snapshot;
}

// The paths whose entries differ, were added or were removed.
std::vector<std::wstring> Differences(const Snapshot& before, const Snapshot& after) {
  std::vector<std::wstring> changed;
  for (const auto& [path, what] : before) {
    const auto it = after.find(path);
    if (it == after.end()) changed.push_back(L"removed " + path);
    else if (it->second != what) changed.push_back(L"changed " + path);
  }
  for (const auto& entry : after)
    if (before.count(entry.first) == 0) changed.push_back(L"added " + entry.first);
  return changed;
}

// Two notes whose scripts are packages under ZMemo's root, one of them broken, and a third without
// scripts.
std::string ThreeNotes(const Scripts& s) {
  return Ansi(L"[Memo]\r\n"
              L"3_ScriptEnableDscpServer=true\r\n3_ETag=ETAG-3\r\n"
              L"3_WatermarkHistory-000=" + s.ugu + L"\r\n"
              L"3_WatermarkHistory-001=" + s.broken + L"\r\n"
              L"3_ScriptFileName=" + s.ugu + L"\r\n"
              L"8_ScriptEnableDscpServer=true\r\n8_ETag=付箋8\r\n"
              L"8_WatermarkHistory-000=" + s.psn + L"\r\n"
              L"8_WatermarkHistory-001=" + s.ugu + L"\r\n"
              L"5_ScriptEnableDscpServer=true\r\n5_ETag=ETAG-5\r\n");
}

// Wine's user32 keeps the system parameters of the session in a volatile registry key that it
// fills the first time any window program draws. Drawing a window here first keeps that out of
// what Karuvel is measured by.
void WarmUpWindowSystem() {
  HWND window = CreateWindowExW(0, L"BUTTON", L"warm-up", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  for (const wchar_t* cls : {L"COMBOBOX", L"EDIT", L"STATIC"})
    CreateWindowExW(0, cls, L"x", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, window, nullptr, GetModuleHandleW(nullptr),
                    nullptr);
  UpdateWindow(window);
  GetDoubleClickTime();
  GetSystemMetrics(SM_SWAPBUTTON);
  UINT value[16] = {};
  for (const UINT action : {SPI_GETMOUSE, SPI_GETMOUSESPEED, SPI_GETMOUSEHOVERTIME, SPI_GETMOUSEHOVERWIDTH,
                            SPI_GETMOUSEHOVERHEIGHT, SPI_GETMOUSETRAILS, SPI_GETWHEELSCROLLLINES, SPI_GETDRAGFULLWINDOWS,
                            SPI_GETMOUSESONAR, SPI_GETMOUSEVANISH, SPI_GETMOUSECLICKLOCK, SPI_GETSNAPTODEFBUTTON})
    SystemParametersInfoW(action, 0, value, 0);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  DestroyWindow(window);
}

// Posts an action whose handler ends by emptying both texts (a choice of a note, a reload) and
// waits for that: the request box holds a mark until then.
bool AfterTextsEmptied(const Karuvel& karuvel, const std::function<void()>& act) {
  HWND request = karuvel.Control(ids::kText2);
  SetEditText(request, L"waiting");
  act();
  return WaitUntil([&] { return ReadText(request).empty(); });
}

// Waits until a load has shown its request and reply with the buttons back on.
bool LoadShown(const Karuvel& karuvel) {
  return WaitUntil([&] {
    return IsEnabled(karuvel.Control(ids::kCmd切替)) && !ReadText(karuvel.Control(ids::kText2)).empty() &&
           !ReadText(karuvel.Control(ids::kText1)).empty();
  });
}

// The one message box now showing, closed with OK; its text.
std::wstring CloseMessage(const Karuvel& karuvel) {
  HWND box = karuvel.WaitMessageBox();
  if (!box) return L"(no message)";
  const std::wstring text = MessageBoxText(box);
  PressOk(box);
  WaitUntil([&] { return MessageBoxesOf(karuvel.Pid()).empty(); });
  return text;
}

TEST(WritesNothing, SessionLeavesRegistryAndZMemoFilesAsTheyWere) {
  WarmUpWindowSystem();
  const std::wstring root = MakeZMemoRoot(L"WritesNothing");
  SetZMemoRoot(root);
  const Scripts scripts = MakeScripts(root);
  ASSERT_TRUE(WriteBytes(MemoIniOf(root), ThreeNotes(scripts)));
  UseFreshPort();
  ZMemoHost host(L"--etag ETAG-3 --etag 付箋8");
  ASSERT_TRUE(host.Started());

  const Snapshot before = TakeSnapshot(root);
  ASSERT_GT(before.size(), 10u);
  // A second look at once sees the same: the snapshot itself changes nothing.
  ASSERT_TRUE(Differences(before, TakeSnapshot(root)).empty());

  size_t requests = 0;
  {
    Karuvel karuvel;
    ASSERT_TRUE(karuvel.Start());
    HWND window = karuvel.WaitReady(3);
    ASSERT_NE(window, nullptr);
    HWND notes = karuvel.Control(kCbo切替対象);
    HWND scriptList = karuvel.Control(kCbo切替スクリプト);
    const POINT dropAt = CentreOf(karuvel.Control(kLblVersion));
    for (int round = 0; round < 2; ++round) {
      Click(karuvel.Control(kCmd詳細));
      // Every script of the first two notes: the broken package shows its message.
      for (int note = 0; note < 2; ++note) {
        for (int script = 0; script < 2; ++script) {
          ASSERT_TRUE(AfterTextsEmptied(karuvel, [&] { Choose(notes, note); }));
          Choose(scriptList, script);
          Click(karuvel.Control(kCmd切替));
          if (note == 0 && script == 1) {
            EXPECT_EQ(CloseMessage(karuvel).rfind(L"このスクリプトのディレクトリ構成に異常があります。", 0), 0u);
          } else {
            EXPECT_TRUE(LoadShown(karuvel)) << note << " " << script;
            ++requests;
          }
        }
      }
      // One drop that loads, and one of two files that is refused.
      ASSERT_TRUE(AfterTextsEmptied(karuvel, [&] { Choose(notes, 1); }));
      Drop(dropAt, {scripts.psn}).Wait();
      EXPECT_TRUE(LoadShown(karuvel));
      ++requests;
      Drop two(dropAt, {scripts.psn, scripts.ugu});
      EXPECT_EQ(CloseMessage(karuvel), L"複数スクリプトを一括して追加することはできません。");
      two.Wait();
      ASSERT_TRUE(AfterTextsEmptied(karuvel, [&] { Click(karuvel.Control(kCmd再読み込み)); }));
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(karuvel.WaitExit().has_value());
  }
  // The session did reach ZMemo: the host saw every load.
  EXPECT_EQ(host.Requests().size(), requests);

  const std::vector<std::wstring> changed = Differences(before, TakeSnapshot(root));
  std::string report;
  for (const std::wstring& path : changed) report += Utf8Of(path) + "\n";
  EXPECT_TRUE(changed.empty()) << report;
}

}  // namespace
}  // namespace karuvel::e2e
