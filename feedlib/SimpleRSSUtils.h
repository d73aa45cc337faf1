#pragma once

#include <string>
#include <string_view>

#include "SimpleRSSTypes.h"

namespace vantle {

class IXMLNode;

// The language whose code equals `code` exactly (case-sensitive, untrimmed); langX otherwise.
TLanguages StrToLanguage(std::string_view code);

// Sets the hour flag of every child of `node` whose value is "0".."23" exactly; flags are
// never cleared. A child whose content is not one text raises.
void ParseSkipHours(IXMLNode& node, TRSSChannelSkipHours& skipHours);

// Sets the day flag of every child of `node` whose value is a day name exactly.
void ParseSkipDays(IXMLNode& node, TRSSChannelSkipDays& skipDays);

// Decodes Base64 (RFC 2045 alphabet, "=" padding) into the bytes it stands for. Raises
// TSimpleRSSException when the length is not a multiple of 4 or a character lies outside
// the alphabet.
std::string DecodeBase64(std::string_view text);

}  // namespace vantle
