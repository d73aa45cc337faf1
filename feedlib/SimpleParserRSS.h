#pragma once

#include "SimpleParserBase.h"

namespace vantle {

// Parses an RSS 0.9x/2.0 document into the feed model.
class TSimpleParserRSS : public TSimpleParserBase {
 public:
  using TSimpleParserBase::TSimpleParserBase;
  void Parse() override;
};

}  // namespace vantle
