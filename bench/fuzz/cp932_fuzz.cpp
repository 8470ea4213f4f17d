// Code page 932 and UTF-8 conversions on arbitrary input: sizes stay within their bounds, the two
// decoding entry points agree, and decoding is stable under a round trip through the encoder.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/cp932.h"
#include "common/text.h"
#include "bench/fuzz/fuzz_check.h"

namespace {

bool HasLoneSurrogate(karuvel::TextView text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t u = text[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace karuvel;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // Bytes to text and back.
  const Text decoded = cp932::Decode(bytes);
  FUZZ_CHECK(decoded.size() <= bytes.size());
  Text reused = u"left over from an earlier line";
  cp932::DecodeInto(bytes, reused);
  FUZZ_CHECK(reused == decoded);
  bool exact = false;
  const std::string encoded = cp932::Encode(decoded, &exact);
  FUZZ_CHECK(encoded.size() <= 2 * decoded.size());
  // Whatever the decoder gives, the encoder holds and gives back as the same text.
  FUZZ_CHECK(exact);
  FUZZ_CHECK(cp932::Decode(encoded) == decoded);

  // The same bytes read as UTF-16 units.
  Text text(size / 2, u'\0');
  std::memcpy(text.data(), data, text.size() * 2);
  const std::string narrow = cp932::Encode(text, &exact);
  FUZZ_CHECK(narrow.size() <= 2 * text.size());
  if (cp932::IsRepresentable(text)) {
    FUZZ_CHECK(exact);
    FUZZ_CHECK(cp932::Decode(narrow) == text);
  }
  if (!exact) FUZZ_CHECK(narrow.find('?') != std::string::npos);

  // UTF-8: well-formed text survives both ways; anything else still converts.
  const std::string utf8 = TextToUtf8(text);
  const Text back = Utf8ToText(utf8);
  if (!HasLoneSurrogate(text)) FUZZ_CHECK(back == text);
  const Text fromUtf8 = Utf8ToText(bytes);
  FUZZ_CHECK(fromUtf8.size() <= bytes.size());
  FUZZ_CHECK(!HasLoneSurrogate(fromUtf8));
  FUZZ_CHECK(Utf8ToText(TextToUtf8(fromUtf8)) == fromUtf8);
  return 0;
}
