#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "SimpleRSSTypes.h"

namespace vantle {

class TSimpleRSS;
class IXMLNode;

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
  // The Dublin Core date of RSS items.
  static constexpr std::string_view sDCDate = "dc:date";

  // Which channel rows a format reads beside its own elements: RSS reads them all, Atom a
  // few of them at feed level.
  enum class TChannelRows { crRSS, crAtom };
  // How a format reads an item: RSS 0.9x/2.0, or RSS 1.0 with its differences.
  enum class TItemFormat { ifRSS, ifRDF };

  // The first child of `element` named `name` (qualified or local name, same namespace).
  static IXMLNode* FindChild(IXMLNode& element, std::string_view name);
  // The first attribute of `element` named `name` (qualified or local name).
  static IXMLNode* FindAttribute(IXMLNode& element, std::string_view name);
  // The first child whose qualified name is exactly `name`, whatever its namespace.
  static IXMLNode* FindChildByQualifiedName(IXMLNode& element, std::string_view name);
  // The text of an element's single text node or of an attribute; raises when empty.
  static std::string TextOf(IXMLNode& node);
  // The signed 32-bit integer an element or attribute holds; raises when it holds none.
  static int32_t IntegerOf(IXMLNode& node);
  // The text of `node`, or `fallback` when reading it fails in any way.
  static std::string TextOr(IXMLNode& node, std::string_view fallback);
  // An item body: the value of the first child node, or the element's own (empty) value.
  static std::string BodyOf(IXMLNode& element);
  // The text of the attribute `name` (possibly empty), or nothing when it is absent.
  static std::optional<std::string> OptionalAttribute(IXMLNode& element, std::string_view name);

  // Raises the required-field error for `name`, or for "`parent` -> `name`".
  [[noreturn]] static void RaiseRequiredField(std::string_view parent, std::string_view name);
  // The child `name` of `element`; raises the required-field error "`parent` -> `name`"
  // when missing (a bare `name` when `parent` is empty).
  static IXMLNode& RequireChild(IXMLNode& element, std::string_view parent, std::string_view name);
  // The attribute `name` of `element`; raises the required-field error "`parent` -> `name`".
  static IXMLNode& RequireAttribute(IXMLNode& element, std::string_view parent,
                                    std::string_view name);
  // The "title" child of `element`; raises "`parent` -> title" when it has neither a
  // "title" nor a `body` child.
  static IXMLNode* RequireTitleOrBody(IXMLNode& element, std::string_view parent,
                                      std::string_view body);

  // Reads `child` of the channel (or feed head) by the row its node name matches exactly;
  // false when no row of `rows` names it. Items are the caller's.
  bool ReadChannelRow(IXMLNode& child, TChannelRows rows);
  // Appends an item and fills it from `element`; the item stays appended when reading fails.
  void ReadItem(IXMLNode& element, TItemFormat format);

  // Requires the attributes "url", "length", "type", then fills the enclosure.
  static void ReadEnclosure(IXMLNode& element, TRSSItemEnclosure& enclosure);
  // Requires the attribute "url", then fills the source from it and the element's text.
  static void ReadSource(IXMLNode& element, TRSSItemSource& source);
  // Requires the children "url", "title", "link", then fills the image and its options.
  static void ReadImage(IXMLNode& element, TRSSImage& image);
  // Requires the children "title", "description", "name", "link", then fills the input.
  static void ReadTextInput(IXMLNode& element, TRSSTextInput& textInput);
  // Include := whether the element has attributes; then reads all five, created if missing.
  static void ReadCloud(IXMLNode& element, TRSSCloud& cloud);
  // Adds one category per child whose local name is "category", in document order.
  static void ReadItemCategories(IXMLNode& element, TRSSItemCategories& categories);
  // Language := the code's enumerator; XLang := the code when it is not in the table.
  static void ReadLanguage(IXMLNode& element, TRSSChannelOpt& options);

  TSimpleRSS& RSS;

 private:
  // Fills the guid; without "isPermaLink" it is a permalink.
  static void ReadGUID(IXMLNode& element, TRSSItemGUID& guid);
  // Fills the item's description from its body elements as the format reads them.
  static void ReadItemBody(IXMLNode& element, TRSSItem& item, TItemFormat format);
};

}  // namespace vantle
