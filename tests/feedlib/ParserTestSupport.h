#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "Exception.h"

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

// A document and the message its load must fail with.
struct TFailure {
  std::string xml;
  std::string message;
};

// Expects each document to fail to load with exactly its message.
inline void ExpectEachFailsWith(const std::vector<TFailure>& failures) {
  for (const TFailure& failure : failures) {
    SCOPED_TRACE(failure.xml);
    TSimpleRSS rss;
    EXPECT_THAT([&] { Parse(rss, failure.xml); },
                ::testing::ThrowsMessage<Exception>(::testing::StrEq(failure.message)));
  }
}

}  // namespace vantle::testing_support
