// The user guide's table of messages lists exactly the messages the program shows.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/expected_messages.h"

namespace {

// A message as the guide's table writes it: "<br>" for a line break, words for what the box fills in.
std::string AsGuideWrites(std::string message) {
  const std::pair<const char*, const char*> forms[] = {
      {"\r", "<br>"}, {"{path}", "（ファイルのパス）"}, {"{code}", "（番号）"}, {"{text}", "（Windows による説明）"}};
  for (const auto& [from, to] : forms)
    for (size_t at; (at = message.find(from)) != std::string::npos;) message.replace(at, std::strlen(from), to);
  return message;
}

// The first cell of each row of the table under the guide's heading for messages.
std::vector<std::string> GuideMessages() {
  std::ifstream guide(KARUVEL_GUIDE);
  std::vector<std::string> cells;
  bool inSection = false, headerSeen = false;
  for (std::string line; std::getline(guide, line);) {
    if (line.rfind("## ", 0) == 0) {
      inSection = line == "## メッセージの一覧";
    } else if (inSection && line.rfind("| ", 0) == 0) {
      if (headerSeen) cells.push_back(line.substr(2, line.find(" |", 2) - 2));
      headerSeen = true;
    }
  }
  return cells;
}

TEST(Guide, MessageTableListsEveryMessageExactly) {
  std::vector<std::string> expected;
  for (const char* message : karuvel::expected::kAllMessages) expected.push_back(AsGuideWrites(message));
  EXPECT_EQ(GuideMessages(), expected);
}

}  // namespace
