// Karuvel's Windows halves against the prefix's real registry, named mutexes held by other
// processes and a real window, and the resources of the karuvel.exe that was built.
#include <windows.h>

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "common/dpi.h"
#include "common/error_box_win.h"
#include "common/owners_win.h"
#include "settings/reg.h"
#include "shell/frm_winsock_win.h"
#include "shell/winsock02.h"
#include "test_processes.h"

namespace karuvel {
namespace {

TEST(Registry, ReadsShortRegSzOnlyAndWritesTheKeyPath) {
  const Text root = u"Software\\KaruvelTest", key = root + u"\\新しい\\表示ソ能";
  RegDeleteTreeW(HKEY_CURRENT_USER, Wide(root));
  const cReg reg;
  ASSERT_TRUE(reg.RegSetString(HKEY_CURRENT_USER, key, u"Root", u" C:\\表示\\ソ能 "));
  EXPECT_EQ(reg.RegGetString(HKEY_CURRENT_USER, key, u"Root"), u" C:\\表示\\ソ能 ");
  EXPECT_EQ(reg.RegGetString(HKEY_CURRENT_USER, key, u"Missing"), u"");
  EXPECT_EQ(reg.RegGetString(HKEY_CURRENT_USER, key + u"\\Missing", u"Root"), u"");
  // Values as other programs store them: bytes of code page 932, then a NUL.
  std::string kanji;
  for (int i = 0; i < 127; ++i) kanji += "\x95\x5C";  // 表
  const std::tuple<DWORD, std::string, Text> cases[] = {
      {REG_SZ, std::string("C:\\Z\0Memo", 9), u"C:\\Z"}, {REG_EXPAND_SZ, "C:\\ZMemo", u""}, {REG_BINARY, "C:\\ZMemo", u""},
      {REG_SZ, std::string(255, 'a'), Text(255, u'a')},  {REG_SZ, std::string(256, 'a'), u""},
      {REG_SZ, kanji + "a", Text(127, u'表') + u"a"},     {REG_SZ, kanji + "\x95\x5C", u""},
  };
  UniqueKey open;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, Wide(key), 0, KEY_SET_VALUE, open.Put()), 0);
  for (const auto& [type, bytes, read] : cases) {
    RegSetValueExA(open.Get(), "Value", 0, type, reinterpret_cast<const BYTE*>(bytes.c_str()), bytes.size() + 1);
    EXPECT_EQ(reg.RegGetString(HKEY_CURRENT_USER, key, u"Value"), read) << bytes.size() << " bytes";
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, Wide(root));
}

bool MutexExists(const wchar_t* name) { return static_cast<bool>(UniqueHandle(OpenMutexW(SYNCHRONIZE, FALSE, name))); }

// The named mutex, held by mutex_holder.exe in a process of its own until the holder ends.
struct Holder {
  explicit Holder(const std::wstring& name) : process(Launch(Quoted(TestProgramDir() + L"mutex_holder.exe") + L" " + name)) {
    for (int i = 0; i < 400 && process && !MutexExists(name.c_str()); ++i) Sleep(25);
  }
  ~Holder() { TerminateProcess(process.Get(), 0), WaitForSingleObject(process.Get(), 10000); }
  UniqueHandle process;
};

TEST(Mutexes, CountOnlyWhileAnotherProcessHoldsThem) {
  EXPECT_EQ(IsZMemoRunning(), 0);
  {
    const Holder lower(L"tmemomanwndmutex"), karuvel(L"TKaruvelWndMutex");
    EXPECT_EQ(IsZMemoRunning(), 0);  // names are case-sensitive
    CreateOwnMutex();
    EXPECT_EQ(lnghMutex.Get(), nullptr);
    const Holder zmemo(L"TMemoManWndMutex");
    EXPECT_EQ(IsZMemoRunning(), 1);
    EXPECT_EQ(IsZMemoRunning(), 1);
  }
  // With their holders gone, the mutexes are gone: Karuvel kept no handle on them.
  EXPECT_FALSE(MutexExists(L"TMemoManWndMutex") || MutexExists(L"TKaruvelWndMutex"));
  EXPECT_EQ(IsZMemoRunning(), 0);
  CreateOwnMutex();
  EXPECT_TRUE(lnghMutex && MutexExists(L"TKaruvelWndMutex"));
  ReleaseOwnMutex();
  EXPECT_FALSE(lnghMutex || MutexExists(L"TKaruvelWndMutex"));
}

TEST(Window, ASecondOneFailsWithTheSystemsReason) {
  FrmWinSock first, second;
  ASSERT_EQ(first.Load(GetModuleHandleW(nullptr)), 0u);
  const DWORD error = second.Load(GetModuleHandleW(nullptr));
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
  const Text report = ErrorReportText(error);
  EXPECT_EQ(report.substr(0, 14), u"ERROR #1410 : ");
  EXPECT_EQ(report.find_last_not_of(u"\r\n "), report.size() - 1);  // the system's text, its line end cut
  EXPECT_GT(report.size(), 14u);
}

TEST(Window, TwipsBecomePixelsAsMulDivRoundsThem) {
  for (int dpi : {96, 120, 144, 192})
    for (int n = -3000; n <= 12000; ++n) {
      ASSERT_EQ(TwipsToPixels(n, dpi), MulDiv(n, dpi, 1440)) << n << " twips at " << dpi;
      ASSERT_EQ(PixelsToTwips(n / 8, dpi), MulDiv(n / 8, 1440, dpi)) << n / 8 << " pixels at " << dpi;
    }
}

TEST(Program, KaruvelExeCarriesItsVersionAndManifest) {
  const std::wstring exe = BuildDir() + L"karuvel.exe";
  std::vector<char> info(GetFileVersionInfoSizeW(exe.c_str(), nullptr));
  ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  wchar_t* text = nullptr;
  UINT size = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &size) &&
              VerQueryValueW(info.data(), L"\\StringFileInfo\\041104B0\\FileVersion", reinterpret_cast<void**>(&text), &size));
  // Both forms carry the project's "major.minor".
  EXPECT_EQ(std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(fixed->dwFileVersionMS)) +
                L"." + std::to_wstring(fixed->dwFileVersionLS) + L" " + text,
            KARUVEL_PROJECT_VERSION L".0 " KARUVEL_PROJECT_VERSION);

  const UniqueModule image(LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  const HRSRC found = FindResourceW(image.Get(), MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_NE(found, nullptr);
  const std::string manifest(static_cast<const char*>(LockResource(LoadResource(image.Get(), found))),
                             SizeofResource(image.Get(), found));
  EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
  EXPECT_NE(manifest.find("\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
}

}  // namespace
}  // namespace karuvel
