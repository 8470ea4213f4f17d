#include "shell/main_win.h"

#include <commctrl.h>

#include "common/error_box_win.h"
#include "common/late_bound_win.h"
#include "dscp/dscp_library_win.h"
#include "dscp/script_switch.h"
#include "settings/reg.h"
#include "settings/user_dir.h"
#include "shell/handlers.h"
#include "shell/running_marks.h"

namespace karuvel {

namespace {

// The previous-instance marker. Private to this program and distinct from "TKaruvelWndMutex",
// which only says that Karuvel runs and is taken after this test.
constexpr wchar_t kInstanceMarkerName[] = L"Karuvel.Instance.7f3c2a91";

class WinStartupServices : public StartupServices {
 public:
  Text InstallRoot() override {
    const cReg reg;
    return reg.RegGetString(HKEY_CURRENT_USER, u"Software\\ZZ-soft\\ZMemo", u"Root");
  }
  Text CurrentUserName() override { return GetCurrentUserName(); }
};

// A start-up check failed after its message: the mutex goes, then the process.
[[noreturn]] void EndStartup() { EndProgram(); }

}  // namespace

WinHostServices::WinHostServices(const Text& zmemoRoot) : dscp_(std::make_unique<ChcDscpLibrary>(zmemoRoot)) {}
WinHostServices::~WinHostServices() = default;
int16_t WinHostServices::IsZMemoRunning() { return karuvel::IsZMemoRunning(); }
const FileSystem& WinHostServices::Files() const { return RealFileSystem(); }
DscpLibrary& WinHostServices::Dscp() { return *dscp_; }
const VirtualStore& WinHostServices::Store() {
  if (!store_) store_ = SystemVirtualStore();
  return *store_;
}

bool ClaimFirstInstance(UniqueHandle& marker) {
  marker.Reset(CreateMutexW(nullptr, FALSE, kInstanceMarkerName));
  // Read right after the call: another instance made the object first.
  const DWORD error = GetLastError();
  if (marker && error == ERROR_ALREADY_EXISTS) {
    marker.Reset();
    return false;
  }
  return true;
}

void EndProgram() {
  ReleaseOwnMutex();
  EndProcessNow();
}

void EndProcessNow() { ExitProcess(0); }

void Form_Unload() { EndProgram(); }

void Cmd終了_Click() { EndProcessNow(); }

void Main(Program& program) {
  // Before anything loads a library: from here on searches look in the system folder only, where
  // the system can say so (late_bound_win.h).
  SearchDllsInSystemFolderOnly();
  // 1. A second instance ends silently: no window, no message, no mutex.
  if (!ClaimFirstInstance(program.instanceMarker)) EndProcessNow();
  // 2. The own mutex, whatever its outcome.
  CreateOwnMutex();

  // 3. Load the window, still hidden, and set its version label.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  MainWindow& window = program.window;
  if (const DWORD error = window.Load(program.instance)) {
    // The program cannot go on without its window: say why before it ends.
    ShowErrorReport(error);
    ReleaseOwnMutex();
    ExitProcess(1);
  }
  WindowActions actions;
  actions.unload = Form_Unload;
  actions.exitNow = Cmd終了_Click;
  App& app = program.app;
  actions.switchNow = [&app] {
    LoadContext load = app.Loading();
    Cmd切替_Click(load);
  };
  actions.drop = [&app](const DropData& data) { Form_OLEDragDrop(app, data); };
  window.Attach(&program.app, std::move(actions));
  // OLE is set up on the drop thread while this one goes on to show the notes; without OLE the
  // program runs on, without drops.
  program.drops = DropService::Start(
      window.Handle(), [&window](DropData data) { window.QueueDrop(std::move(data)); },
      [&window] { return window.TakesDrops(); });
  window.SetVersionCaption(Text(kVersionLabelPrefix) + Text(kVersion));

  // 4, 5. Collapsed, both text boxes disabled. 6. Shown, so later messages stand over it.
  ShowCollapsedView(window);
  window.Show(program.showCommand);

  // 7 to 12. Install root, memo.ini, the first load; any failure has shown its message.
  WinStartupServices startup;
  if (!LoadStartupSettings(program.app, startup)) EndStartup();
  // 13. The program lives on the window's events.
}

}  // namespace karuvel
