// ParseMemoLine on arbitrary UTF-16 lines: on success the key and value are the exact pieces
// around the first "_" and the first "=" after it, and the note number is what the text before
// the "_" says; on failure the outputs are untouched and one of the refusal rules holds.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/fuzz/fuzz_check.h"
#include "settings/memo_ini.h"

namespace karuvel {
namespace {

// The number before the "_": spaces, a sign, digits; false when it leaves -32768..32767.
bool ExpectedNumber(TextView text, int16_t& number) {
  size_t i = 0;
  while (i < text.size() && text[i] == u' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  long long value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = value * 10 + (text[i] - u'0');
    if (value > 1000000) return false;  // far outside the range already
  }
  if (negative) value = -value;
  if (value < -32768 || value > 32767) return false;
  number = static_cast<int16_t>(value);
  return true;
}

}  // namespace
}  // namespace karuvel

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace karuvel;
  Text line(size / 2, u'\0');
  std::memcpy(line.data(), data, line.size() * 2);

  int16_t noteNo = 12345;
  Text key = u"unset-key";
  Text value = u"unset-value";
  const int16_t result = ParseMemoLine(line, noteNo, key, value);
  FUZZ_CHECK(result == kParseOk || result == kParseFailed);

  const size_t underscore = line.find(u'_');
  const size_t equals = underscore == Text::npos ? Text::npos : line.find(u'=', underscore + 1);
  int16_t number = 0;
  const bool shouldParse = !line.empty() && line[0] != u'#' && line.size() > 5 && equals != Text::npos &&
                           ExpectedNumber(TextView(line).substr(0, underscore), number);
  FUZZ_CHECK((result == kParseOk) == shouldParse);
  if (result != kParseOk) {
    FUZZ_CHECK(noteNo == 12345 && key == u"unset-key" && value == u"unset-value");
    return 0;
  }
  FUZZ_CHECK(noteNo == number);
  FUZZ_CHECK(key == TextView(line).substr(underscore + 1, equals - underscore - 1));
  FUZZ_CHECK(value == TextView(line).substr(equals + 1));
  // The pieces and their separators make up the line again.
  FUZZ_CHECK(line.size() == underscore + 1 + key.size() + 1 + value.size());
  FUZZ_CHECK(key.find(u'=') == Text::npos);
  return 0;
}
