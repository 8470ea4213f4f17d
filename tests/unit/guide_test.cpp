// The user guide's table of messages lists exactly the messages the program shows.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "tests/expected_messages.h"

TEST(Guide, MessageTableListsEveryMessageExactly) {
  // The first cell of each row of the table under the guide's heading for messages, its header first.
  std::ifstream guide(KARUVEL_GUIDE);
  std::vector<std::string> cells, expected = {"メッセージ"};
  for (std::string line, section; std::getline(guide, line);) {
    if (line.rfind("## ", 0) == 0) section = line;
    else if (section == "## 9. メッセージ一覧" && line.rfind("| ", 0) == 0) cells.push_back(line.substr(2, line.find(" |", 2) - 2));
  }
  // The guide writes "<br>" for a line break, and words for what the box fills in.
  const std::pair<const char*, const char*> forms[] = {
      {"\r", "<br>"}, {"{path}", "（ファイルのパス）"}, {"{code}", "（番号）"}, {"{text}", "（Windows による説明）"}};
  for (std::string message : karuvel::expected::kAllMessages) {
    for (const auto& [from, to] : forms)
      for (size_t at; (at = message.find(from)) != std::string::npos;) message.replace(at, std::strlen(from), to);
    expected.push_back(message);
  }
  EXPECT_EQ(cells, expected);
}
