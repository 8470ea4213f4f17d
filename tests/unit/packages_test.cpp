#include "packages/script_package.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "fake_app.h"

namespace karuvel {
namespace {

fakes::FakeFileSystem FilesAt(const std::set<Text>& paths) {
  fakes::FakeFileSystem fs;
  for (const Text& path : paths) fs.Add(path);
  return fs;
}

struct PackageCase {
  const char* what;
  Text path;
  std::set<Text> files;
  int16_t expected;
  std::vector<Text> asked;  // the file-system tests made, in order
};

TEST(CheckScriptPackage, ResultAndTheOrderOfTests) {
  const std::vector<PackageCase> cases = {
      {"UGU with its data in the named directory", u"C:\\S\\Foo.ugu",
       {u"C:\\S\\Foo.ugu", u"C:\\S\\FOO\\DAT\\mio00.euu", u"C:\\S\\DAT\\mio00.euu"}, PackageOk,
       {u"C:\\S\\Foo.ugu", u"C:\\S\\FOO\\DAT\\mio00.euu"}},
      {"UGU with DAT beside it", u"C:\\S\\Foo.ugu", {u"C:\\S\\Foo.ugu", u"C:\\S\\DAT\\mio00.euu"}, PackageOk,
       {u"C:\\S\\Foo.ugu", u"C:\\S\\FOO\\DAT\\mio00.euu", u"C:\\S\\DAT\\mio00.euu"}},
      {"UGU without data", u"C:\\S\\Foo.ugu", {u"C:\\S\\Foo.ugu"}, PackageMalformed,
       {u"C:\\S\\Foo.ugu", u"C:\\S\\FOO\\DAT\\mio00.euu", u"C:\\S\\DAT\\mio00.euu"}},
      {"UGU with the PSN data file", u"C:\\S\\Foo.ugu", {u"C:\\S\\Foo.ugu", u"C:\\S\\FOO\\DAT\\aya00.out"},
       PackageMalformed, {u"C:\\S\\Foo.ugu", u"C:\\S\\FOO\\DAT\\mio00.euu", u"C:\\S\\DAT\\mio00.euu"}},
      {"PSN in upper case from mixed case", u"C:\\S\\foo.Psn", {u"C:\\S\\foo.Psn", u"C:\\S\\FOO\\DAT\\aya00.out"},
       PackageOk, {u"C:\\S\\foo.Psn", u"C:\\S\\FOO\\DAT\\aya00.out"}},
      {"PSN has no DAT beside it", u"C:\\S\\Foo.psn", {u"C:\\S\\Foo.psn", u"C:\\S\\DAT\\aya00.out"},
       PackageMalformed, {u"C:\\S\\Foo.psn", u"C:\\S\\FOO\\DAT\\aya00.out"}},
      {"missing file without a dot", u"C:\\S\\README", {}, PackageNotFound, {u"C:\\S\\README"}},
      {"missing file with a good name", u"C:\\S\\Foo.ugu", {u"C:\\S\\FOO\\DAT\\mio00.euu"}, PackageNotFound,
       {u"C:\\S\\Foo.ugu"}},
      {"existing file without a dot", u"C:\\S\\README", {u"C:\\S\\README"}, PackageMalformed, {u"C:\\S\\README"}},
      {"last dot in a directory name", u"C:\\S.1\\README", {u"C:\\S.1\\README"}, PackageMalformed,
       {u"C:\\S.1\\README"}},
      {"another kind", u"C:\\S\\Foo.txt", {u"C:\\S\\Foo.txt", u"C:\\S\\FOO\\DAT\\mio00.euu"}, PackageMalformed,
       {u"C:\\S\\Foo.txt"}},
      {"kind from the last dot, empty base name", u"C:\\S\\a.b.ugu", {u"C:\\S\\a.b.ugu", u"C:\\S\\DAT\\mio00.euu"},
       PackageOk, {u"C:\\S\\a.b.ugu", u"C:\\S\\\\DAT\\mio00.euu", u"C:\\S\\DAT\\mio00.euu"}},
      {"two-letter name", u"C:\\S\\ab.psn", {u"C:\\S\\ab.psn", u"C:\\S\\AB\\DAT\\aya00.out"}, PackageMalformed,
       {u"C:\\S\\ab.psn", u"C:\\S\\\\DAT\\aya00.out"}},
      {"three-letter name", u"C:\\S\\abc.psn", {u"C:\\S\\abc.psn", u"C:\\S\\ABC\\DAT\\aya00.out"}, PackageOk,
       {u"C:\\S\\abc.psn", u"C:\\S\\ABC\\DAT\\aya00.out"}},
      {"Japanese names are not split", u"C:\\表\\表ソ能.ugu", {u"C:\\表\\表ソ能.ugu", u"C:\\表\\表ソ能\\DAT\\mio00.euu"},
       PackageOk, {u"C:\\表\\表ソ能.ugu", u"C:\\表\\表ソ能\\DAT\\mio00.euu"}},
      {"slash separators: no directory part", u"C:/S/foo.ugu", {u"C:/S/foo.ugu", u"C:/S/FOO/DAT/mio00.euu"},
       PackageMalformed, {u"C:/S/foo.ugu", u"C:/S/foo.uguFOO\\DAT\\mio00.euu", u"C:/S/foo.uguDAT\\mio00.euu"}},
      {"trailing backslash is dropped for the test", u"C:\\S\\Foo.ugu\\", {u"C:\\S\\Foo.ugu"}, PackageMalformed,
       {u"C:\\S\\Foo.ugu"}},
  };
  for (const PackageCase& c : cases) {
    SCOPED_TRACE(c.what);
    fakes::FakeFileSystem fs = FilesAt(c.files);
    EXPECT_EQ(CheckScriptPackage(c.path, fs), c.expected);
    EXPECT_EQ(fs.asked, c.asked);
  }
}

}  // namespace
}  // namespace karuvel
