#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantle {

// What told the encoding of a document.
enum class TEncodingSource { esByteOrderMark, esDeclaration, esContentType, esDefault };

// The encoding a document is read in.
struct TDocumentEncoding {
  // A name the XML parser knows ("UTF-8", "UTF-16LE", "WINDOWS-1252", ...) or the label as
  // written; empty when the parser is to find the encoding itself (EBCDIC).
  std::string Name;
  TEncodingSource Source = TEncodingSource::esDefault;
  size_t MarkSize = 0;  // bytes of byte-order mark at the start, not part of the text
};

// The name the Windows-1252 decoder goes by.
inline constexpr std::string_view kWindows1252 = "WINDOWS-1252";

// How many bytes of a document's start DecideDocumentEncoding reads at most.
inline constexpr size_t kEncodingHeadSize = 1024;

// The charset parameter of a Content-Type value, unquoted; empty when there is none.
std::string CharsetOfContentType(std::string_view contentType);

// The encoding name for a label: "UTF-8" for its labels; labels of ISO-8859-1 and US-ASCII
// read as Windows-1252, as browsers read them; any other label is returned trimmed.
std::string EncodingOfLabel(std::string_view label);

// True when `head`, the start of a document, holds enough to decide its encoding: its
// first '>' or kEncodingHeadSize bytes.
bool HeadDecidesEncoding(std::string_view head);

// The encoding of the document starting with `head`, by the first that applies: a byte-order
// mark, the XML declaration (with the byte pattern of "<?xml"), `charset` (from the
// Content-Type header; may be empty), UTF-8.
TDocumentEncoding DecideDocumentEncoding(std::string_view head, std::string_view charset);

// Decodes Windows-1252 at `in` into UTF-8 at `out` as far as `outSize` allows; the bytes
// 0x80 to 0x9F it leaves undefined stand for the C1 controls. Sets `inSize` to the bytes
// read and returns the bytes written.
size_t Windows1252ToUtf8(const unsigned char* in, size_t& inSize, unsigned char* out,
                         size_t outSize);

}  // namespace vantle
