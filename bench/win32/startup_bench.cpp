// Start-up time of karuvel.exe, from launch until its window lists the notes, next to a program
// that only opens an empty window and one that makes the same window with standard controls and
// lists 3 items (the floor). Median of 15 launches each, alternating, on the running wineserver.
//   startup_bench.exe <karuvel.exe> <empty_window.exe> <floor_window.exe> [<karuvel.exe>...]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kDefaultRuns = 15;  // KARUVEL_BENCH_RUNS overrides, for longer runs
constexpr int kNotes = 3;
constexpr int kNoteListId = 109;  // Cbo切替対象

double Now() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct Search {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == search->pid && IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindNoteList(HWND window, LPARAM param) {
  if (GetDlgCtrlID(window) != kNoteListId) return TRUE;
  *reinterpret_cast<HWND*>(param) = window;
  return FALSE;
}

// True once the process shows its window and, when `notes` > 0, the note list holds them.
bool Ready(DWORD pid, int notes, HWND& window) {
  Search search{pid, nullptr};
  EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
  window = search.found;
  if (!window) return false;
  if (notes == 0) return true;
  HWND list = nullptr;
  EnumChildWindows(window, FindNoteList, reinterpret_cast<LPARAM>(&list));
  DWORD_PTR count = 0;
  return list && SendMessageTimeoutW(list, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 1000, &count) &&
         static_cast<int>(count) == notes;
}

// Milliseconds from CreateProcess until ready; negative when it never got ready.
double TimeOneLaunch(const std::wstring& exe, int notes) {
  std::wstring command = L"\"" + exe + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  const double start = Now();
  if (!CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return -1;
  HWND window = nullptr;
  double elapsed = -1;
  while (Now() - start < 15000) {
    if (Ready(info.dwProcessId, notes, window)) {
      elapsed = Now() - start;
      break;
    }
    if (WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0) break;
    Sleep(1);
  }
  if (window) PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  if (WaitForSingleObject(info.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 1);
  WaitForSingleObject(info.hProcess, 5000);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return elapsed;
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  const size_t n = times.size();
  return (times[(n - 1) / 2] + times[n / 2]) / 2;
}

// ZMemo's registry value and a memo.ini with kNotes enabled notes for the current user.
bool PrepareZMemo() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  char user[128] = {};
  DWORD size = sizeof user;
  GetUserNameA(user, &size);
  wchar_t wideUser[128] = {};
  MultiByteToWideChar(CP_ACP, 0, user, -1, wideUser, 128);
  const std::wstring root = std::wstring(temp) + L"karuvel-bench";
  const std::wstring dir = root + L"\\USERS\\" + wideUser;
  CreateDirectoryW(root.c_str(), nullptr);
  CreateDirectoryW((root + L"\\USERS").c_str(), nullptr);
  CreateDirectoryW(dir.c_str(), nullptr);
  std::string memo;
  for (int n = 1; n <= kNotes; ++n) {
    const std::string k = std::to_string(n);
    memo += k + "_ScriptEnableDscpServer=true\r\n" + k + "_ETag=E" + k + "\r\n" + k +
            "_WatermarkHistory-000=C:\\S\\a.ugu\r\n" + k + "_ScriptFileName=C:\\S\\a.ugu\r\n";
  }
  HANDLE file = CreateFileW((dir + L"\\memo.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  WriteFile(file, memo.data(), static_cast<DWORD>(memo.size()), &written, nullptr);
  CloseHandle(file);
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\ZZ-soft\\ZMemo", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    return false;
  RegSetValueExW(key, L"Root", 0, REG_SZ, reinterpret_cast<const BYTE*>(root.c_str()),
                 static_cast<DWORD>((root.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return written == memo.size();
}

std::wstring FullPath(const char* path) {
  wchar_t wide[MAX_PATH] = {}, full[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH);
  GetFullPathNameW(wide, MAX_PATH, full, nullptr);
  return full;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::printf("usage: startup_bench <karuvel.exe> <empty_window.exe> <floor_window.exe>\n");
    return 2;
  }
  if (!PrepareZMemo()) {
    std::printf("cannot prepare memo.ini and the registry value\n");
    return 1;
  }
  // The floor lists its items in the same list as Karuvel, so it is ready by the same test. More
  // builds of karuvel.exe may follow, to compare a change with the same launches.
  struct Program {
    std::wstring exe;
    int notes;
    std::vector<double> times;
  };
  std::vector<Program> programs{{FullPath(argv[2]), 0, {}}, {FullPath(argv[3]), kNotes, {}}};
  for (int i = 1; i < argc; i = i == 1 ? 4 : i + 1) programs.push_back({FullPath(argv[i]), kNotes, {}});
  // Warm-up, then the programs alternate so all meet the same load on the machine; each round
  // starts with the next program, so none always follows the same one.
  for (Program& p : programs) TimeOneLaunch(p.exe, p.notes);
  const char* runsSetting = std::getenv("KARUVEL_BENCH_RUNS");
  const int kRuns = runsSetting && std::atoi(runsSetting) > 0 ? std::atoi(runsSetting) : kDefaultRuns;
  for (int i = 0; i < kRuns; ++i) {
    for (size_t j = 0; j < programs.size(); ++j) {
      Program& p = programs[(i + j) % programs.size()];
      p.times.push_back(TimeOneLaunch(p.exe, p.notes));
      if (p.times.back() < 0) {
        std::printf("a program did not come up\n");
        return 1;
      }
    }
  }
  const double emptyMs = Median(programs[0].times);
  const double floorMs = Median(programs[1].times);
  std::printf("median of %d launches each, alternating: empty window %.1f ms; floor %.1f ms "
              "(floor / empty window %.2f)\n", kRuns, emptyMs, floorMs, floorMs / emptyMs);
  for (size_t i = 2; i < programs.size(); ++i) {
    const double ms = Median(programs[i].times);
    std::printf("%ls until %d notes listed: %.1f ms; / empty window %.2f; / floor %.2f\n",
                programs[i].exe.c_str(), kNotes, ms, ms / emptyMs, ms / floorMs);
  }
  return 0;
}
