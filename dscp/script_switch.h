// The script switch: loads an entry of a note's script history into the note through a DSCP LOAD
// request. Owns the request layout and the messages for the package check results, which the
// drop registration shares.
#pragma once

#include <cstdint>

#include "common/text.h"
#include "dscp/load_context.h"

namespace karuvel {

// "LOAD DSCP/1.3", "TargetETag: " + etag, "Script: " + path and an empty line, each ended by CR LF.
Text BuildLoadRequest(TextView etag, TextView path);

// The message for a package check result other than 0, naming the path between 『』.
Text PackageOutcomeMessage(int16_t code, TextView path);

// Shown when ZMemo's mutex is absent.
extern const char16_t kZMemoNotRunning[];

// Checks the indices and the chosen script's package; on success stores the LOAD request in
// strSendText and returns 0. Returns -9 otherwise (with the outcome message for a failed check).
int32_t SwitchScript(LoadContext& load, int16_t noteIndex, int16_t scriptIndex);

// A load under way, or over: Cmd切替, Cmd再読み込み and Cmd終了 go off together and the window is busy
// (SetBusy), from the buttons going off to the last message of the load.
void SetLoading(MainView& view, bool loading);

// The switch button: switch, then show request and reply; the three buttons are off meanwhile.
void Cmd切替_Click(LoadContext& load);

}  // namespace karuvel
