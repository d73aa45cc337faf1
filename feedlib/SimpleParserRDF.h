#pragma once

#include "SimpleParserBase.h"

namespace vantle {

// Parses an RSS 1.0 (RDF) document into the feed model.
class TSimpleParserRDF : public TSimpleParserBase {
 public:
  using TSimpleParserBase::TSimpleParserBase;
  void Parse() override;

 private:
  // Reads the title, link and description of the channel element itself.
  void ReadChannel(IXMLNode& channel);
};

}  // namespace vantle
