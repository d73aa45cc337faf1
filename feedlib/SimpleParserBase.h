#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "SimpleRSSTypes.h"
#include "XMLDocument.h"

namespace vantle {

class TSimpleRSS;

// A parser for one feed format; made for one parse of one document.
class TSimpleParserBase {
 public:
  explicit TSimpleParserBase(TSimpleRSS& rss);
  virtual ~TSimpleParserBase() = default;
  TSimpleParserBase(const TSimpleParserBase&) = delete;
  TSimpleParserBase& operator=(const TSimpleParserBase&) = delete;

  // Reads RSS.XMLFile() into RSS.Channel() and RSS.Items(); raises on a missing required
  // field and lets every other error pass.
  virtual void Parse() = 0;
  // Parses, then gives a tolerated image what it takes from the finished channel.
  void Run();

 protected:
  // The Dublin Core date of RSS items.
  static constexpr std::string_view sDCDate = "dc:date";

  // Which channel rows a format reads beside its own elements: RSS reads them all, Atom a
  // few of them at feed level.
  enum class TChannelRows { crRSS, crAtom };
  // How a format reads an item: RSS 0.9x/2.0, or RSS 1.0 with its differences.
  enum class TItemFormat { ifRSS, ifRDF };
  // What tolerant reading makes of an element holding markup where a text is read: the
  // markup itself for bodies and descriptions, its text without tags for everything else.
  enum class TTextKind { tkPlain, tkMarkup };

  // The first child of `element` named `name` (qualified or local name, same namespace).
  static IXMLNode* FindChild(IXMLNode& element, std::string_view name);
  // The first attribute of `element` named `name` (qualified or local name).
  static IXMLNode* FindAttribute(IXMLNode& element, std::string_view name);
  // The first child whose qualified name is exactly `name`, whatever its namespace.
  static IXMLNode* FindChildByQualifiedName(IXMLNode& element, std::string_view name);
  // The text of an element's single text node or of an attribute; raises when empty.
  static std::string TextOf(IXMLNode& node);
  // The text of `node`, or `fallback` when reading it fails in any way.
  static std::string TextOr(IXMLNode& node, std::string_view fallback);
  // An item body: the value of the first child node, or the element's own (empty) value.
  static std::string BodyOf(IXMLNode& element);
  // The text of the attribute `name` (possibly empty), or nothing when it is absent.
  static std::optional<std::string> OptionalAttribute(IXMLNode& element, std::string_view name);

  // The text of an element or attribute. Strictly it raises as TextOf does; tolerantly a
  // node that does not read gives what `kind` makes of its markup, and nothing when empty.
  std::optional<std::string> TextRead(IXMLNode& node, TTextKind kind = TTextKind::tkPlain) const {
    if (!FTolerant) return TextOf(node);
    return Tolerate(node, TextOf, kind);
  }
  // BodyOf with the same tolerance, markup kept.
  std::optional<std::string> BodyRead(IXMLNode& element) const {
    if (!FTolerant) return BodyOf(element);
    return Tolerate(element, BodyOf, TTextKind::tkMarkup);
  }
  // The integer a node holds. Strictly it raises when it holds none; tolerantly nothing.
  std::optional<int32_t> IntegerRead(IXMLNode& node) const;
  // A channel text the model requires; tolerantly blank when empty, so its placeholder shows.
  std::string RequiredText(IXMLNode& element, TTextKind kind = TTextKind::tkPlain) const;
  // The text of the first child named `name` that reads (see FirstChildValue).
  std::optional<std::string> ChildText(IXMLNode& element, std::string_view name,
                                       TTextKind kind = TTextKind::tkPlain) const {
    return ChildTextFrom(element, FindChild(element, name), name, kind);
  }
  // The same, where `first` is the first child named `name`, already found.
  std::optional<std::string> ChildTextFrom(IXMLNode& element, IXMLNode* first,
                                           std::string_view name,
                                           TTextKind kind = TTextKind::tkPlain) const {
    return FirstChildValue(element, first, name,
                           [&](IXMLNode& child) { return TextRead(child, kind); });
  }

  // What `read` gives for the first child of `element` named `name`. Strictly only that
  // child counts and a failed read raises; tolerantly children that give nothing are passed
  // over for the next of that name.
  template <typename TRead>
  auto FirstChildValue(IXMLNode& element, std::string_view name, TRead read) const
      -> decltype(read(element)) {
    return FirstChildValue(element, FindChild(element, name), name, read);
  }
  // The same, from `first`, the first child named `name`, already found.
  template <typename TRead>
  auto FirstChildValue(IXMLNode& element, IXMLNode* first, std::string_view name, TRead read) const
      -> decltype(read(element)) {
    for (IXMLNode* child = first; child != nullptr;
         child = FTolerant ? element.ChildNodes().FindNextNode(name, *child) : nullptr)
      if (auto value = read(*child)) return value;
    return std::nullopt;
  }

  // Raises the required-field error for `name`, or for "`parent` -> `name`".
  [[noreturn]] static void RaiseRequiredField(std::string_view parent, std::string_view name);
  // The child `name` of `element`; raises the required-field error "`parent` -> `name`"
  // when missing (a bare `name` when `parent` is empty).
  static IXMLNode& RequireChild(IXMLNode& element, std::string_view parent, std::string_view name);
  // The "title" child of `element`; raises "`parent` -> title" when it has neither a
  // "title" nor a `body` child.
  static IXMLNode* RequireTitleOrBody(IXMLNode& element, std::string_view parent,
                                      std::string_view body);
  // The attribute `name` a record requires: strictly raises "`parent` -> `name`" when it is
  // missing; tolerantly nullptr.
  IXMLNode* RecordAttribute(IXMLNode& element, std::string_view parent,
                            std::string_view name) const;

  // Reads `child` of the channel (or feed head) by the row its node name matches exactly;
  // false when no row of `rows` names it. Items are the caller's.
  bool ReadChannelRow(IXMLNode& child, TChannelRows rows);
  // Appends an item and fills it from `element`; the item stays appended when reading fails.
  void ReadItem(IXMLNode& element, TItemFormat format);

  // Requires the attributes "url", "length", "type", then fills the enclosure. Tolerantly an
  // enclosure without an address is left out, and the length and type are optional.
  void ReadEnclosure(IXMLNode& element, TRSSItemEnclosure& enclosure) const;
  // Requires the attribute "url", then fills the source from it and the element's text.
  // Tolerantly an Atom 1.0 source gives its own link and title, or is left out.
  void ReadSource(IXMLNode& element, TRSSItemSource& source) const;
  // Requires the children "url", "title", "link", then fills the image and its options.
  // Tolerantly an image without an address is left out; one without a title or link takes
  // the channel's at the end of the parse.
  void ReadImage(IXMLNode& element, TRSSImage& image);
  // Requires the children "title", "description", "name", "link", then fills the input.
  // Tolerantly an input that lacks one of them is left out.
  void ReadTextInput(IXMLNode& element, TRSSTextInput& textInput) const;
  // Include := whether the element has attributes; then reads all five, created if missing.
  void ReadCloud(IXMLNode& element, TRSSCloud& cloud) const;
  // Adds one category per child whose local name is "category", in document order.
  void ReadItemCategories(IXMLNode& element, TRSSItemCategories& categories) const;
  // The title of a category: its text; tolerantly its "term" when empty, else nothing.
  std::optional<std::string> CategoryTitle(IXMLNode& category) const;
  // Language := the code's enumerator; XLang := the code when it is not in the table.
  static void ReadLanguage(std::string code, TRSSChannelOpt& options);

  TSimpleRSS& RSS;
  // Whether RSS reads tolerantly; fixed for the parse.
  const bool FTolerant;

 private:
  // Fills the guid from the first one that reads; without "isPermaLink" it is a permalink.
  void ReadGUID(IXMLNode& element, TRSSItemGUID& guid) const;
  // Fills the item's description from its body elements as the format reads them.
  void ReadItemBody(IXMLNode& element, TRSSItem& item, TItemFormat format) const;
  // Reads `node` with `read` tolerantly: a read that raises gives the node's markup instead.
  std::optional<std::string> Tolerate(IXMLNode& node, std::string (*read)(IXMLNode&),
                                      TTextKind kind) const;
  // The text of the attribute `name` when it is there and reads.
  std::optional<std::string> AttributeText(IXMLNode& element, std::string_view name) const;
  // An Atom 1.0 source's address: the href of its rel="self" link, else its rel="alternate".
  static std::optional<std::string> LinkOfSource(IXMLNode& source);

  // A tolerated image lacked its title or link; the channel's are taken at the end.
  bool FImageTakesTitle = false;
  bool FImageTakesLink = false;
};

}  // namespace vantle
