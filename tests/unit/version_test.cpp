// The window's version label against project() in CMakeLists.txt, which also names the release zip
// and stamps the version resource and the guide: a release that raises project() must not leave
// the window showing the old version.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "shell/handlers.h"

namespace karuvel {
namespace {

TEST(Version, LabelShowsTheVersionProjectGives) {
  std::ifstream file(KARUVEL_PROJECT_FILE);
  const std::string cmake{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  std::smatch project;
  ASSERT_TRUE(std::regex_search(cmake, project, std::regex(R"(project\(\s*karuvel\s+VERSION\s+([0-9.]+))")))
      << "no project(karuvel VERSION ...) in " << KARUVEL_PROJECT_FILE;
  EXPECT_EQ(TextToUtf8(Text(kVersionLabelPrefix) + Text(kVersion)), "Ver." + project[1].str());
}

}  // namespace
}  // namespace karuvel
