// The script package check and its path functions on arbitrary paths, against a file system that
// answers each existence test from the input. The result is only 0, -1 or -2; -1 exactly when the
// path itself is no file; 0 only when a data file of the path's kind was found beside it.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/fuzz/fuzz_check.h"
#include "packages/script_package.h"

namespace karuvel {
namespace {

// Answers the n-th existence test with bit n of `answers`, and records every path asked about.
class AnsweringFileSystem final : public FileSystem {
 public:
  explicit AnsweringFileSystem(uint8_t answers) : answers_(answers) {}
  bool IsOrdinaryFile(TextView path) const override {
    const bool yes = (answers_ >> (asked.size() % 8)) & 1;
    asked.emplace_back(path);
    return yes;
  }
  uint64_t LastWriteTime(TextView path) const override { return IsOrdinaryFile(path) ? 1 : 0; }
  std::unique_ptr<ByteStream> OpenRead(TextView) const override { return nullptr; }
  mutable std::vector<Text> asked;

 private:
  uint8_t answers_;
};

bool EndsWith(TextView text, TextView suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool HasLowerAscii(TextView text) {
  for (const char16_t c : text)
    if (c >= u'a' && c <= u'z') return true;
  return false;
}

}  // namespace
}  // namespace karuvel

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace karuvel;
  FuzzedDataProvider input(data, size);
  const uint8_t answers = input.ConsumeIntegral<uint8_t>();
  const std::string bytes = input.ConsumeRemainingBytesAsString();
  Text path(bytes.size() / 2, u'\0');
  std::memcpy(path.data(), bytes.data(), path.size() * 2);

  // GetDirectoryPart: a prefix of the path that ends at its last "\", or the whole path.
  const Text dir = GetDirectoryPart(path);
  FUZZ_CHECK(TextView(path).substr(0, dir.size()) == dir);
  if (path.find(u'\\') == Text::npos) {
    FUZZ_CHECK(dir == path);
  } else {
    FUZZ_CHECK(dir.back() == u'\\' && TextView(path).substr(dir.size()).find(u'\\') == TextView::npos);
  }

  // GetScriptBaseName: empty, or the upper-cased start of the file name, 3 characters at least.
  const Text base = GetScriptBaseName(path);
  if (!base.empty()) {
    FUZZ_CHECK(base.size() >= 3);
    FUZZ_CHECK(!HasLowerAscii(base));
    FUZZ_CHECK(base.find_first_of(u"\\/.") == Text::npos);
    const size_t separator = path.find_last_of(u"\\/");
    FUZZ_CHECK(separator != Text::npos);
    FUZZ_CHECK(UpperAscii(TextView(path).substr(separator + 1, base.size())) == base);
    const Text extension = UpperAscii(TextView(path).substr(separator + 1 + base.size()));
    FUZZ_CHECK(extension == u".UGU" || extension == u".PSN");
  }

  // FileExists asks about the path with one trailing "\" removed, and nothing else.
  TextView asked = path;
  if (!asked.empty() && asked.back() == u'\\') asked.remove_suffix(1);
  {
    AnsweringFileSystem fs(answers);
    const bool exists = FileExists(path, fs);
    if (asked.size() > 32767) {
      FUZZ_CHECK(!exists && fs.asked.empty());
    } else {
      FUZZ_CHECK(fs.asked.size() == 1 && fs.asked[0] == asked);
      FUZZ_CHECK(exists == ((answers & 1) != 0));
    }
  }

  AnsweringFileSystem fs(answers);
  const int16_t result = CheckScriptPackage(path, fs);
  FUZZ_CHECK(result == PackageOk || result == PackageNotFound || result == PackageMalformed);
  const bool found = asked.size() <= 32767 && (answers & 1) != 0;
  FUZZ_CHECK((result == PackageNotFound) == !found);
  FUZZ_CHECK(fs.asked.size() <= 3);
  if (!found) {
    FUZZ_CHECK(fs.asked.size() <= 1);
    return 0;
  }
  FUZZ_CHECK(fs.asked[0] == asked);
  const size_t dot = path.rfind(u'.');
  const Text kind = dot == Text::npos ? Text() : UpperAscii(TextView(path).substr(dot + 1));
  if (kind != u"UGU" && kind != u"PSN") {
    FUZZ_CHECK(result == PackageMalformed && fs.asked.size() == 1);
    return 0;
  }
  // Every data file asked about lies in the information file's directory and fits its kind.
  const TextView dataFile = kind == u"PSN" ? TextView(u"\\DAT\\aya00.out") : TextView(u"\\DAT\\mio00.euu");
  for (size_t i = 1; i < fs.asked.size(); ++i) {
    FUZZ_CHECK(TextView(fs.asked[i]).substr(0, dir.size()) == dir);
    FUZZ_CHECK(EndsWith(fs.asked[i], dataFile.substr(1)));
  }
  FUZZ_CHECK(fs.asked[1] == dir + base + Text(dataFile));
  if (kind == u"PSN") FUZZ_CHECK(fs.asked.size() == 2);
  // Success exactly when the last data file asked about was there.
  const bool lastFound = fs.asked.size() >= 2 && ((answers >> (fs.asked.size() - 1)) & 1) != 0;
  FUZZ_CHECK((result == PackageOk) == lastFound);
  return 0;
}
