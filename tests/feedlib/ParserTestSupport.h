#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "SimpleRSS.h"
#include "XMLDocument.h"

namespace vantle::testing_support {

// Parses `xml` into `rss` the way a load does after the fetch.
inline void Parse(TSimpleRSS& rss, std::string_view xml) {
  rss.RenewXMLFile();
  rss.XMLFile().LoadFromData(xml.data(), xml.size());
  rss.ParseXMLFile();
}

// The date as "YYYY-MM-DD hh:mm:ss", to compare readably.
inline std::string Stamp(const TRFC822DateTime& value) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  DecodeDateTime(value.DateTime, y, mo, d, h, mi, s, ms);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, s);
  return text;
}

}  // namespace vantle::testing_support
