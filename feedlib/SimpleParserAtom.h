#pragma once

#include "SimpleParserBase.h"

namespace vantle {

// Parses an Atom document into the feed model.
class TSimpleParserAtom : public TSimpleParserBase {
 public:
  using TSimpleParserBase::TSimpleParserBase;
  void Parse() override;

 private:
  // Reads the channel's own fields from the children of the feed head.
  void ParseHead(IXMLNode& head);
  // Reads the entries and feed-level rows among the children of `element`, descending
  // into `head` where it stands.
  void ReadEntries(IXMLNode& element, const IXMLNode* head);
  // Appends an item and fills it from an entry; the item stays appended when reading fails.
  void ReadEntry(IXMLNode& entry);
};

}  // namespace vantle
