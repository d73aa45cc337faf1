#include "JsonWriter.h"

#include <array>
#include <charconv>
#include <cmath>
#include <nlohmann/detail/conversions/to_chars.hpp>
#include <ostream>

namespace vantle::tool {

namespace {

constexpr size_t ChunkSize = size_t{1} << 16;

// Bytes that end a run copied as it is: controls, the quote, the backslash, non-ASCII.
constexpr std::array<bool, 256> StopBytes = [] {
  std::array<bool, 256> stop{};
  for (size_t c = 0; c < stop.size(); ++c) stop[c] = c < 0x20 || c == '"' || c == '\\' || c >= 0x80;
  return stop;
}();

constexpr std::string_view Replacement = "\xEF\xBF\xBD";

// The length of the well-formed UTF-8 sequence at `p`, or 0 when there is none; then `skip`
// tells how many bytes the broken sequence takes. As nlohmann-json decodes, a lead byte that
// opens no sequence goes alone, and the byte that breaks an open one starts afresh.
size_t SequenceLength(const unsigned char* p, const unsigned char* end, size_t& skip) {
  const unsigned char lead = *p;
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  }
  skip = 1;
  for (size_t i = 1; i < length; ++i, low = 0x80, high = 0xBF) {
    if (p + i == end || p[i] < low || p[i] > high) {
      skip = i;
      return 0;
    }
  }
  return length;
}

}  // namespace

TJsonWriter::TJsonWriter(std::ostream& sink) : FSink(&sink) {}

TJsonWriter& TJsonWriter::BeginObject() {
  Separate();
  FText += '{';
  FNeedComma = false;
  return *this;
}

TJsonWriter& TJsonWriter::EndObject() {
  FText += '}';
  FNeedComma = true;
  FlushWhenFull();
  return *this;
}

TJsonWriter& TJsonWriter::BeginArray() {
  Separate();
  FText += '[';
  FNeedComma = false;
  return *this;
}

TJsonWriter& TJsonWriter::EndArray() {
  FText += ']';
  FNeedComma = true;
  FlushWhenFull();
  return *this;
}

TJsonWriter& TJsonWriter::Key(std::string_view name) {
  Separate();
  FText += '"';
  AppendEscaped(name);
  FText += "\":";
  FNeedComma = false;
  return *this;
}

TJsonWriter& TJsonWriter::String(std::string_view value) {
  Separate();
  FText += '"';
  AppendEscaped(value);
  FText += '"';
  FNeedComma = true;
  return *this;
}

TJsonWriter& TJsonWriter::Bool(bool value) {
  Separate();
  FText += value ? "true" : "false";
  FNeedComma = true;
  return *this;
}

TJsonWriter& TJsonWriter::Int(int64_t value) {
  Separate();
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  FText.append(digits, result.ptr);
  FNeedComma = true;
  return *this;
}

TJsonWriter& TJsonWriter::Float(double value) {
  Separate();
  if (std::isfinite(value)) {
    // The library's own shortest round-trip form, so that a number reads as dump() wrote it.
    char digits[64];
    FText.append(digits, nlohmann::detail::to_chars(digits, digits + sizeof digits, value));
  } else {
    FText += "null";
  }
  FNeedComma = true;
  return *this;
}

TJsonWriter& TJsonWriter::Null() {
  Separate();
  FText += "null";
  FNeedComma = true;
  return *this;
}

TJsonWriter& TJsonWriter::EndLine() {
  FText += '\n';
  FNeedComma = false;
  FlushWhenFull();
  return *this;
}

void TJsonWriter::Flush() {
  if (FSink == nullptr) return;
  FSink->write(FText.data(), static_cast<std::streamsize>(FText.size()));
  FText.clear();
}

void TJsonWriter::Separate() {
  if (FNeedComma) FText += ',';
}

void TJsonWriter::AppendEscaped(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = p + text.size();
  while (p != end) {
    const auto* const run = p;
    while (p != end && !StopBytes[*p]) ++p;
    FText.append(reinterpret_cast<const char*>(run), static_cast<size_t>(p - run));
    if (p == end) break;
    if (*p < 0x80) {
      AppendControl(*p++);
      continue;
    }
    size_t skip = 0;
    const size_t length = SequenceLength(p, end, skip);
    if (length > 0) {
      FText.append(reinterpret_cast<const char*>(p), length);
      p += length;
    } else {
      FText += Replacement;
      p += skip;
    }
  }
}

void TJsonWriter::AppendControl(unsigned char byte) {
  switch (byte) {
    case '\b':
      FText += "\\b";
      return;
    case '\t':
      FText += "\\t";
      return;
    case '\n':
      FText += "\\n";
      return;
    case '\f':
      FText += "\\f";
      return;
    case '\r':
      FText += "\\r";
      return;
    case '"':
      FText += "\\\"";
      return;
    case '\\':
      FText += "\\\\";
      return;
    default:
      break;
  }
  static constexpr char Hex[] = "0123456789abcdef";
  const char escape[] = {'\\', 'u', '0', '0', Hex[byte >> 4], Hex[byte & 0xF]};
  FText.append(escape, sizeof escape);
}

void TJsonWriter::FlushWhenFull() {
  if (FText.size() >= ChunkSize) Flush();
}

}  // namespace vantle::tool
