#include "SimpleRSSUtils.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "SimpleRSSConst.h"
#include "SimpleRSSException.h"
#include "XMLDocument.h"

namespace vantle {

namespace {

constexpr std::string_view kBase64Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kPad = '=';

// The 6-bit value of every alphabet character, -1 for the rest.
constexpr std::array<int8_t, 256> Base64Values() {
  std::array<int8_t, 256> values{};
  values.fill(-1);
  for (size_t i = 0; i < kBase64Alphabet.size(); ++i)
    values[static_cast<unsigned char>(kBase64Alphabet[i])] = static_cast<int8_t>(i);
  return values;
}
constexpr std::array<int8_t, 256> kBase64Values = Base64Values();

std::string Printable(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte > 0x20 && byte < 0x7f) return std::string("'") + c + "'";
  char code[8];
  std::snprintf(code, sizeof code, "0x%02X", byte);
  return code;
}

// The 6 bits of the character at `position`; "=" counts as 0 where padding may stand.
uint32_t SextetAt(std::string_view text, size_t position, bool padAllowed) {
  const char c = text[position];
  if (padAllowed && c == kPad) return 0;
  const int8_t value = kBase64Values[static_cast<unsigned char>(c)];
  if (value < 0)
    throw TSimpleRSSException("Invalid Base64 character " + Printable(c) + " at position " +
                              std::to_string(position + 1));
  return static_cast<uint32_t>(value);
}

// Calls `visit` with the non-Null value of every child of `node`, in document order.
template <typename TVisit>
void ForEachChildValue(IXMLNode& node, TVisit visit) {
  IXMLNodeList& children = node.ChildNodes();
  for (int i = 0; i < children.Count(); ++i) {
    const TVariant value = children.Nodes(i).NodeValue();
    if (!value.IsNull()) visit(value.AsString());
  }
}

}  // namespace

TLanguages StrToLanguage(std::string_view code) {
  const auto found = std::find(LanguageCodes.begin(), LanguageCodes.end(), code);
  return found == LanguageCodes.end() ? langX
                                      : static_cast<TLanguages>(found - LanguageCodes.begin());
}

void ParseSkipHours(IXMLNode& node, TRSSChannelSkipHours& skipHours) {
  ForEachChildValue(node, [&skipHours](const std::string& value) {
    const auto found = std::find(HourTexts.begin(), HourTexts.end(), value);
    if (found != HourTexts.end())
      skipHours.Hour(static_cast<int>(found - HourTexts.begin())) = true;
  });
}

void ParseSkipDays(IXMLNode& node, TRSSChannelSkipDays& skipDays) {
  ForEachChildValue(node, [&skipDays](const std::string& value) {
    const auto found = std::find(DayNames.begin(), DayNames.end(), value);
    if (found != DayNames.end()) skipDays.Day(static_cast<int>(found - DayNames.begin())) = true;
  });
}

std::string DecodeBase64(std::string_view text) {
  if (text.size() % 4 != 0)
    throw TSimpleRSSException("Invalid Base64 text: its length " + std::to_string(text.size()) +
                              " is not a multiple of 4");
  std::string bytes;
  bytes.reserve(text.size() / 4 * 3);
  for (size_t group = 0; group < text.size(); group += 4) {
    const uint32_t bits = SextetAt(text, group, false) << 18 |
                          SextetAt(text, group + 1, false) << 12 |
                          SextetAt(text, group + 2, true) << 6 | SextetAt(text, group + 3, true);
    const size_t count = text[group + 2] == kPad ? 1 : text[group + 3] == kPad ? 2 : 3;
    bytes += static_cast<char>(bits >> 16 & 0xFF);
    if (count > 1) bytes += static_cast<char>(bits >> 8 & 0xFF);
    if (count > 2) bytes += static_cast<char>(bits & 0xFF);
  }
  return bytes;
}

}  // namespace vantle
