#include <string>

#include "FuzzSupport.h"
#include "SimpleRSSException.h"
#include "SimpleRSSUtils.h"

namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// A plain reference encoder, so that decoding can be checked against bytes known in advance.
std::string Encode(std::string_view bytes) {
  std::string text;
  for (size_t at = 0; at < bytes.size(); at += 3) {
    const size_t count = bytes.size() - at < 3 ? bytes.size() - at : 3;
    uint32_t group = 0;
    for (size_t i = 0; i < 3; ++i) {
      group = group << 8 | (i < count ? static_cast<unsigned char>(bytes[at + i]) : 0u);
    }
    for (size_t i = 0; i < 4; ++i) {
      text += i <= count ? kAlphabet[group >> (18 - 6 * i) & 63] : '=';
    }
  }
  return text;
}

// The number of bytes a well-formed-length text decodes to, by the padding of each group.
size_t DecodedLength(std::string_view text) {
  size_t length = 0;
  for (size_t at = 0; at + 4 <= text.size(); at += 4) {
    length += text[at + 2] == '=' ? 1 : text[at + 3] == '=' ? 2 : 3;
  }
  return length;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input = vantle::fuzz::AsText(data, size);
  vantle::fuzz::Require(vantle::DecodeBase64(Encode(input)) == input,
                        "DecodeBase64 did not give back the encoded bytes");
  try {
    const std::string bytes = vantle::DecodeBase64(input);
    vantle::fuzz::Require(size % 4 == 0, "DecodeBase64 took a length that is no multiple of 4");
    vantle::fuzz::Require(bytes.size() == DecodedLength(input),
                          "DecodeBase64 gave a wrong number of bytes");
  } catch (const vantle::TSimpleRSSException&) {
  }
  return 0;
}
