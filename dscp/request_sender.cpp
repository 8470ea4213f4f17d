#include "dscp/request_sender.h"

#include <algorithm>
#include <string>
#include <vector>

#include "common/ansi.h"

namespace karuvel {

namespace {
constexpr char kHost[] = "127.0.0.1";
constexpr int32_t kNoCommand = -1;
}  // namespace

void SendDscpRequest(LoadContext& load) {
  load.strReceiveText.clear();
  const std::string request = TextToAnsi(load.strSendText);
  // Fresh and zero-filled for every send, with two bytes of slack: a library written for a caller
  // that handed it a string of that many characters writes its terminator just past them.
  std::vector<char> reply(kReplyBufferSize + 2, '\0');

  int32_t result = 0;
  load.view.ShowNow();
  const bool called = load.library.Send(kHost, request.c_str(), reply.data(), result);
  if (!called) {
    load.view.ShowMessage(u"DSCP通信ライブラリを読み込めません。\r『chc_dscp.dll』");
    return;
  }

  // The reply ends at its first NUL; a library that left none is not read past the buffer.
  const auto end = std::find(reply.begin(), reply.begin() + kReplyBufferSize, '\0');
  load.strReceiveText = AnsiToText(std::string_view(reply.data(), static_cast<size_t>(end - reply.begin())));
  if (result == kNoCommand) load.view.ShowMessage(u"コマンドが指定されていません。");
  load.view.SetText(TextBox::Reply, load.strReceiveText);
}

}  // namespace karuvel
