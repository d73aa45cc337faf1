#include "JsonWriter.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
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

bool IsPlain(std::string_view text) {
  return std::none_of(text.begin(), text.end(),
                      [](char c) { return StopBytes[static_cast<unsigned char>(c)]; });
}

}  // namespace

TJsonWriter::TJsonWriter(std::ostream& sink) : FSink(&sink) {}

char* TJsonWriter::Room(size_t bytes) {
  if (FCapacity - FSize < bytes) MakeRoom(bytes);
  return FData.get() + FSize;
}

void TJsonWriter::MakeRoom(size_t bytes) {
  Flush();
  if (FCapacity - FSize >= bytes) return;
  const size_t capacity = std::max({2 * FCapacity, FSize + bytes, ChunkSize});
  auto data = std::make_unique_for_overwrite<char[]>(capacity);
  if (FSize > 0) std::memcpy(data.get(), FData.get(), FSize);
  FData = std::move(data);
  FCapacity = capacity;
}

void TJsonWriter::Put(std::string_view bytes) {
  if (bytes.empty()) return;
  std::memcpy(Room(bytes.size()), bytes.data(), bytes.size());
  FSize += bytes.size();
}

void TJsonWriter::Put(char byte) {
  *Room(1) = byte;
  ++FSize;
}

TJsonWriter& TJsonWriter::BeginObject() {
  Separate();
  Put('{');
  FNeedComma = false;
  return *this;
}

TJsonWriter& TJsonWriter::EndObject() {
  Put('}');
  FNeedComma = true;
  return *this;
}

TJsonWriter& TJsonWriter::BeginArray() {
  Separate();
  Put('[');
  FNeedComma = false;
  return *this;
}

TJsonWriter& TJsonWriter::EndArray() {
  Put(']');
  FNeedComma = true;
  return *this;
}

TJsonWriter& TJsonWriter::Key(std::string_view name) {
  if (IsPlain(name)) {
    // The common case in one piece: the comma, the quoted name and the colon.
    char* out = Room(name.size() + 4);
    if (FNeedComma) *out++ = ',';
    *out++ = '"';
    std::memcpy(out, name.data(), name.size());
    out += name.size();
    *out++ = '"';
    *out++ = ':';
    FSize = static_cast<size_t>(out - FData.get());
  } else {
    Separate();
    Put('"');
    AppendEscaped(name);
    Put("\":");
  }
  FNeedComma = false;
  return *this;
}

TJsonWriter& TJsonWriter::String(std::string_view value) {
  Separate();
  Put('"');
  AppendEscaped(value);
  Put('"');
  FNeedComma = true;
  return *this;
}

TJsonWriter& TJsonWriter::Bool(bool value) {
  Separate();
  Put(value ? std::string_view("true") : std::string_view("false"));
  FNeedComma = true;
  return *this;
}

TJsonWriter& TJsonWriter::Int(int64_t value) {
  Separate();
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  Put(std::string_view(digits, static_cast<size_t>(result.ptr - digits)));
  FNeedComma = true;
  return *this;
}

TJsonWriter& TJsonWriter::Float(double value) {
  Separate();
  if (std::isfinite(value)) {
    // The library's own shortest round-trip form, so that a number reads as dump() wrote it.
    char digits[64];
    const char* stop = nlohmann::detail::to_chars(digits, digits + sizeof digits, value);
    Put(std::string_view(digits, static_cast<size_t>(stop - digits)));
  } else {
    Put("null");
  }
  FNeedComma = true;
  return *this;
}

TJsonWriter& TJsonWriter::Null() {
  Separate();
  Put("null");
  FNeedComma = true;
  return *this;
}

TJsonWriter& TJsonWriter::EndLine() {
  Put('\n');
  FNeedComma = false;
  return *this;
}

void TJsonWriter::Flush() {
  if (FSink == nullptr || FSize == 0) return;
  FSink->write(FData.get(), static_cast<std::streamsize>(FSize));
  FSize = 0;
}

void TJsonWriter::Separate() {
  if (FNeedComma) Put(',');
}

void TJsonWriter::AppendEscaped(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = p + text.size();
  while (p != end) {
    const auto* const run = p;
    while (p != end && !StopBytes[*p]) ++p;
    Put(std::string_view(reinterpret_cast<const char*>(run), static_cast<size_t>(p - run)));
    if (p == end) break;
    if (*p < 0x80) {
      AppendControl(*p++);
      continue;
    }
    size_t skip = 0;
    const size_t length = SequenceLength(p, end, skip);
    if (length > 0) {
      Put(std::string_view(reinterpret_cast<const char*>(p), length));
      p += length;
    } else {
      Put(Replacement);
      p += skip;
    }
  }
}

void TJsonWriter::AppendControl(unsigned char byte) {
  switch (byte) {
    case '\b':
      Put("\\b");
      return;
    case '\t':
      Put("\\t");
      return;
    case '\n':
      Put("\\n");
      return;
    case '\f':
      Put("\\f");
      return;
    case '\r':
      Put("\\r");
      return;
    case '"':
      Put("\\\"");
      return;
    case '\\':
      Put("\\\\");
      return;
    default:
      break;
  }
  static constexpr char Hex[] = "0123456789abcdef";
  const char escape[] = {'\\', 'u', '0', '0', Hex[byte >> 4], Hex[byte & 0xF]};
  Put(std::string_view(escape, sizeof escape));
}

}  // namespace vantle::tool
