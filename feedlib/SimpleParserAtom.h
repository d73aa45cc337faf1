#pragma once

#include "SimpleParserBase.h"

namespace vantle {

// Parses an Atom document into the feed model.
class TSimpleParserAtom : public TSimpleParserBase {
 public:
  using TSimpleParserBase::TSimpleParserBase;
  void Parse() override;
};

}  // namespace vantle
