#include "DocumentEncoding.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "AsciiText.h"

namespace vantle {

namespace {

// The code points of Windows-1252's bytes 0x80 to 0x9F.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Labels that browsers read as Windows-1252, in lower case.
constexpr std::array<std::string_view, 17> kWindows1252Labels = {
    "ansi_x3.4-1968", "ascii",      "cp1252",       "cp819",           "csisolatin1", "ibm819",
    "iso-8859-1",     "iso-ir-100", "iso8859-1",    "iso88591",        "iso_8859-1",  "l1",
    "latin1",         "us-ascii",   "windows-1252", "iso_8859-1:1987", "x-cp1252"};

// Labels of encodings whose characters take two or four bytes, in lower case.
constexpr std::array<std::string_view, 9> kWideLabelPrefixes = {
    "utf-16", "utf16", "utf-32", "utf32", "ucs-2", "ucs2", "ucs-4", "ucs4", "iso-10646-ucs"};

struct TPattern {
  std::string_view Bytes;
  std::string_view Name;
};

// Byte-order marks, the longer ones first since UTF-32LE's begins with UTF-16LE's.
constexpr std::array<TPattern, 5> kMarks = {{
    {std::string_view("\xFF\xFE\x00\x00", 4), "UTF-32LE"},
    {std::string_view("\x00\x00\xFE\xFF", 4), "UTF-32BE"},
    {"\xEF\xBB\xBF", "UTF-8"},
    {"\xFF\xFE", "UTF-16LE"},
    {"\xFE\xFF", "UTF-16BE"},
}};

// The first character, '<', in each wide encoding without a mark.
constexpr std::array<TPattern, 4> kWideStarts = {{
    {std::string_view("\x3C\x00\x00\x00", 4), "UTF-32LE"},
    {std::string_view("\x00\x00\x00\x3C", 4), "UTF-32BE"},
    {std::string_view("\x3C\x00\x3F\x00", 4), "UTF-16LE"},
    {std::string_view("\x00\x3C\x00\x3F", 4), "UTF-16BE"},
}};

// "<?xm" in EBCDIC, which the XML parser reads by itself.
constexpr std::string_view kEbcdicStart = "\x4C\x6F\xA7\x94";

bool IsWideLabel(std::string_view label) {
  const std::string lower = AsciiLower(label);
  return std::any_of(kWideLabelPrefixes.begin(), kWideLabelPrefixes.end(),
                     [&lower](std::string_view prefix) { return lower.starts_with(prefix); });
}

// The value of the encoding pseudo-attribute of the XML declaration that `text` starts with.
std::string_view DeclaredLabel(std::string_view text) {
  if (!text.starts_with("<?xml") || text.size() < 6 || !IsAsciiSpace(text[5])) return {};
  text = text.substr(0, text.find("?>"));
  const size_t name = text.find("encoding");
  if (name == std::string_view::npos) return {};
  text = TrimAsciiSpace(text.substr(name + 8));
  if (!text.starts_with('=')) return {};
  text = TrimAsciiSpace(text.substr(1));
  if (text.empty() || (text.front() != '"' && text.front() != '\'')) return {};
  const size_t close = text.find(text.front(), 1);
  if (close == std::string_view::npos) return {};
  return text.substr(1, close - 1);
}

void PutUtf8(char32_t code, unsigned char* out, size_t& written) {
  if (code < 0x80) {
    out[written++] = static_cast<unsigned char>(code);
  } else if (code < 0x800) {
    out[written++] = static_cast<unsigned char>(0xC0 | (code >> 6));
    out[written++] = static_cast<unsigned char>(0x80 | (code & 0x3F));
  } else {
    out[written++] = static_cast<unsigned char>(0xE0 | (code >> 12));
    out[written++] = static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F));
    out[written++] = static_cast<unsigned char>(0x80 | (code & 0x3F));
  }
}

size_t Utf8Size(char32_t code) {
  return code < 0x80 ? 1 : code < 0x800 ? 2 : 3;
}

}  // namespace

std::string CharsetOfContentType(std::string_view contentType) {
  size_t end = contentType.find(';');
  while (end != std::string_view::npos) {
    const size_t start = end + 1;
    end = contentType.find(';', start);
    const std::string_view parameter = contentType.substr(start, end - start);
    const size_t equals = parameter.find('=');
    if (equals == std::string_view::npos ||
        AsciiLower(TrimAsciiSpace(parameter.substr(0, equals))) != "charset")
      continue;
    std::string_view value = TrimAsciiSpace(parameter.substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    return std::string(TrimAsciiSpace(value));
  }
  return {};
}

std::string EncodingOfLabel(std::string_view label) {
  label = TrimAsciiSpace(label);
  const std::string lower = AsciiLower(label);
  if (lower == "utf-8" || lower == "utf8") return "UTF-8";
  if (std::find(kWindows1252Labels.begin(), kWindows1252Labels.end(), lower) !=
      kWindows1252Labels.end())
    return std::string(kWindows1252);
  return std::string(label);
}

bool HeadDecidesEncoding(std::string_view head) {
  return head.size() >= kEncodingHeadSize || head.find('>') != std::string_view::npos;
}

TDocumentEncoding DecideDocumentEncoding(std::string_view head, std::string_view charset) {
  for (const TPattern& mark : kMarks)
    if (head.starts_with(mark.Bytes))
      return {std::string(mark.Name), TEncodingSource::esByteOrderMark, mark.Bytes.size()};
  for (const TPattern& start : kWideStarts)
    if (head.starts_with(start.Bytes))
      return {std::string(start.Name), TEncodingSource::esDeclaration, 0};
  if (head.starts_with(kEbcdicStart)) return {"", TEncodingSource::esDeclaration, 0};
  // Bytes that read as ASCII cannot be in a wide encoding, whatever a label says.
  const std::string_view declared = DeclaredLabel(head);
  if (!declared.empty() && !IsWideLabel(declared))
    return {EncodingOfLabel(declared), TEncodingSource::esDeclaration, 0};
  if (!TrimAsciiSpace(charset).empty() && !IsWideLabel(TrimAsciiSpace(charset)))
    return {EncodingOfLabel(charset), TEncodingSource::esContentType, 0};
  return {"UTF-8", TEncodingSource::esDefault, 0};
}

size_t Windows1252ToUtf8(const unsigned char* in, size_t& inSize, unsigned char* out,
                         size_t outSize) {
  size_t read = 0, written = 0;
  for (; read < inSize; ++read) {
    const unsigned char byte = in[read];
    const char32_t code = byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte;
    if (written + Utf8Size(code) > outSize) break;
    PutUtf8(code, out, written);
  }
  inSize = read;
  return written;
}

}  // namespace vantle
