// The package check: its result, and the files it asks about in order.
#include "packages/script_package.h"

#include <gtest/gtest.h>

#include <vector>

#include "fake_app.h"

namespace karuvel {
namespace {

TEST(CheckScriptPackage, ResultAndTheFilesAskedFor) {
  fakes::FakeFileSystem fs;
  for (const char16_t* path :
       {u"C:\\S\\Foo.ugu", u"C:\\S\\FOO\\DAT\\mio00.euu", u"C:\\S\\DAT\\mio00.euu", u"C:\\S\\Foo.txt",
        u"C:\\T\\Bar.ugu", u"C:\\T\\Bar.psn", u"C:\\T\\DAT\\mio00.euu", u"C:\\T\\DAT\\aya00.out", u"C:\\T\\README",
        u"C:\\T\\a.b.ugu", u"C:\\S.1\\README", u"C:\\U\\Foo.ugu", u"C:\\U\\FOO\\DAT\\aya00.out", u"C:\\U\\foo.Psn",
        u"C:\\U\\ab.psn", u"C:\\U\\AB\\DAT\\aya00.out", u"C:\\U\\abz.psn", u"C:\\U\\ABZ\\DAT\\aya00.out",
        u"C:\\表\\表ソ能.ugu", u"C:\\表\\表ソ能\\DAT\\mio00.euu", u"C:/S/foo.ugu", u"C:/S/FOO/DAT/mio00.euu"})
    fs.Add(path);
  const struct {
    Text path;
    int16_t result;
    std::vector<Text> asked;
  } rows[] = {
      {u"C:\\S\\Foo.ugu", PackageOk, {u"C:\\S\\Foo.ugu", u"C:\\S\\FOO\\DAT\\mio00.euu"}},
      {u"C:\\T\\Bar.ugu", PackageOk, {u"C:\\T\\Bar.ugu", u"C:\\T\\BAR\\DAT\\mio00.euu", u"C:\\T\\DAT\\mio00.euu"}},
      {u"C:\\U\\Foo.ugu", PackageMalformed, {u"C:\\U\\Foo.ugu", u"C:\\U\\FOO\\DAT\\mio00.euu", u"C:\\U\\DAT\\mio00.euu"}},
      {u"C:\\U\\foo.Psn", PackageOk, {u"C:\\U\\foo.Psn", u"C:\\U\\FOO\\DAT\\aya00.out"}},
      {u"C:\\T\\Bar.psn", PackageMalformed, {u"C:\\T\\Bar.psn", u"C:\\T\\BAR\\DAT\\aya00.out"}},
      {u"C:\\S\\Gone.ugu", PackageNotFound, {u"C:\\S\\Gone.ugu"}},
      {u"C:\\T\\README", PackageMalformed, {u"C:\\T\\README"}},
      {u"C:\\S.1\\README", PackageMalformed, {u"C:\\S.1\\README"}},
      {u"C:\\S\\Foo.txt", PackageMalformed, {u"C:\\S\\Foo.txt"}},
      // Names of fewer than three characters before the first dot have no directory of their own.
      {u"C:\\T\\a.b.ugu", PackageOk, {u"C:\\T\\a.b.ugu", u"C:\\T\\\\DAT\\mio00.euu", u"C:\\T\\DAT\\mio00.euu"}},
      {u"C:\\U\\ab.psn", PackageMalformed, {u"C:\\U\\ab.psn", u"C:\\U\\\\DAT\\aya00.out"}},
      {u"C:\\U\\abz.psn", PackageOk, {u"C:\\U\\abz.psn", u"C:\\U\\ABZ\\DAT\\aya00.out"}},
      {u"C:\\表\\表ソ能.ugu", PackageOk, {u"C:\\表\\表ソ能.ugu", u"C:\\表\\表ソ能\\DAT\\mio00.euu"}},
      {u"C:/S/foo.ugu", PackageMalformed, {u"C:/S/foo.ugu", u"C:/S/foo.uguFOO\\DAT\\mio00.euu", u"C:/S/foo.uguDAT\\mio00.euu"}},
      {u"C:\\S\\Foo.ugu\\", PackageMalformed, {u"C:\\S\\Foo.ugu"}},
  };
  for (const auto& row : rows) {
    fs.asked.clear();
    EXPECT_EQ(CheckScriptPackage(row.path, fs), row.result) << fakes::U8(row.path);
    EXPECT_EQ(fs.asked, row.asked) << fakes::U8(row.path);
  }
}

}  // namespace
}  // namespace karuvel
