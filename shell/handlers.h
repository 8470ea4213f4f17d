// The main window's handlers for choosing, reloading and the details view, and the decisions of
// start-up once the window shows. Portable: they work on MainView, and the Win32 window and the
// unit tests' fake view both drive them.
#pragma once

#include "common/text.h"
#include "dscp/drop_registration.h"
#include "karuvel_version.h"  // generated from project() in CMakeLists.txt
#include "shell/app.h"

namespace karuvel {

// Outer window heights of the two views, in twips.
constexpr int kCollapsedHeightTwips = 2925;
constexpr int kExpandedHeightTwips = 5685;

constexpr TextView kVersionLabelPrefix = u"Ver.";
// The version after the label's prefix: project()'s, as the zip's name, the version resource and the
// guide give it.
constexpr TextView kVersion = u"" KARUVEL_VERSION_TEXT;

// Shown when ZMemo's install root or the user's memo.ini cannot be found (two sentences, one CR).
extern const TextView kStartupFailureMessage;

// Empties both text boxes, then fills the script list for the chosen note.
void Cbo切替対象_Click(App& app);
// Empties both text boxes; nothing else.
void Cbo切替スクリプト_Click(App& app);
// Toggles between the collapsed and the expanded view by the window's outer height.
void Cmd詳細_Click(App& app);
// Reads memo.ini again and refills both lists.
void Cmd再読み込み_Click(App& app);
// Files dropped anywhere on the window: the first loads into the chosen note.
void Form_OLEDragDrop(App& app, const DropData& Data);

// What start-up needs from the machine after the window shows.
class StartupServices {
 public:
  virtual ~StartupServices() = default;
  // ZMemo's install root as stored in the registry; empty when missing or unreadable.
  virtual Text InstallRoot() = 0;
  // The logged-on user's name, or "default" when it is blank.
  virtual Text CurrentUserName() = 0;
};

// The view every run starts in: collapsed, with both text boxes disabled (the request box, then the reply box).
void ShowCollapsedView(MainView& view);

// Finds ZMemo's install root and the user's memo.ini, and loads the lists for the first time.
// True when the program goes on running on its window's events. False when it must end: the
// start-up failure message or the lists' own message has been shown already.
bool LoadStartupSettings(App& app, StartupServices& services);

}  // namespace karuvel
