#pragma once

namespace vantle {

class TSimpleRSS;

// A parser for one feed format; made for one parse of one document.
class TSimpleParserBase {
 public:
  explicit TSimpleParserBase(TSimpleRSS& rss) : RSS(rss) {}
  virtual ~TSimpleParserBase() = default;
  TSimpleParserBase(const TSimpleParserBase&) = delete;
  TSimpleParserBase& operator=(const TSimpleParserBase&) = delete;

  // Reads RSS.XMLFile() into RSS.Channel() and RSS.Items(); raises on a missing required
  // field and lets every other error pass.
  virtual void Parse() = 0;

 protected:
  TSimpleRSS& RSS;
};

}  // namespace vantle
