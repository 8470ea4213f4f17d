// The user guide: its table of messages lists exactly the messages the program shows, its contents
// and references lead where they say, and its page shows a backslash wherever the text writes one.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "tests/expected_messages.h"

namespace {

std::vector<std::string> GuideLines() {
  std::ifstream guide(KARUVEL_GUIDE);
  std::vector<std::string> lines;
  for (std::string line; std::getline(guide, line);) lines.push_back(line);
  return lines;
}

// Each heading below the title, as (anchor, text): the anchor is the `<div id>` right above it.
std::vector<std::pair<std::string, std::string>> Headings() {
  std::vector<std::pair<std::string, std::string>> headings;
  std::string anchor;
  const std::regex anchorLine(R"re(<div id="([^"]+)"></div>)re"), heading("#{2,3} (.+)");
  for (const std::string& line : GuideLines()) {
    std::smatch found;
    if (std::regex_match(line, found, anchorLine)) {
      anchor = found[1];
    } else if (std::regex_match(line, found, heading)) {
      headings.emplace_back(anchor, found[1]);
      anchor.clear();
    } else if (!line.empty()) {
      anchor.clear();
    }
  }
  return headings;
}

}  // namespace

TEST(Guide, MessageTableListsEveryMessageExactly) {
  // The first cell of each row of the table under the guide's heading for messages, its header first.
  std::vector<std::string> cells, expected = {"メッセージ"};
  std::string section;
  for (const std::string& line : GuideLines()) {
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

// The contents list every heading but their own, in the order of the book, and a reference, in the
// contents or the text, names the heading it leads to as that heading reads: a section renamed or
// renumbered leaves no reference behind under its old name.
TEST(Guide, ContentsAndReferencesLeadWhereTheySay) {
  std::map<std::string, std::string> headingAt;
  std::vector<std::string> listed, headings;
  for (const auto& [anchor, text] : Headings()) {
    if (!anchor.empty()) headingAt[anchor] = text;
    if (text != "目次") headings.push_back(anchor);
  }
  const std::regex link(R"(\[([^\]]+)\]\(#([^)]+)\))");
  bool inContents = false;
  for (const std::string& line : GuideLines()) {
    if (line == R"(<div class="toc">)" || line == "</div>") inContents = line != "</div>";
    for (std::sregex_iterator it(line.begin(), line.end(), link), end; it != end; ++it) {
      const auto heading = headingAt.find((*it)[2]);
      ASSERT_NE(heading, headingAt.end()) << "no heading for " << (*it)[0];
      EXPECT_EQ((*it)[1].str(), heading->second);
      if (inContents) listed.push_back((*it)[2]);
    }
  }
  EXPECT_EQ(listed, headings);
}

// Japanese Windows fonts, the page's first choice, draw U+005C as a yen sign; only code is set in
// fonts that draw it as a backslash. So a backslash outside code would show a yen sign where the
// notation promises a backslash.
TEST(Guide, PageWritesBackslashesOnlyInCode) {
  std::ifstream file(KARUVEL_GUIDE_HTML);
  std::string page{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  ASSERT_NE(page.find("<code>\\</code>"), std::string::npos) << "the notation section shows no backslash";
  // Drops each element whose text may hold a backslash: code, and the stylesheet.
  for (const auto& [open, close] : {std::pair{"<code>", "</code>"}, std::pair{"<style>", "</style>"}})
    for (size_t at; (at = page.find(open)) != std::string::npos;) page.erase(at, page.find(close, at) + std::strlen(close) - at);
  const size_t at = page.find('\\');
  EXPECT_EQ(at, std::string::npos) << "outside code: " << page.substr(at - std::min<size_t>(at, 80), 160);
}
