#include "SimpleParserBase.h"

#include <utility>

#include "ElementMarkup.h"
#include "SimpleRSS.h"
#include "SimpleRSSConst.h"
#include "SimpleRSSException.h"
#include "SimpleRSSUtils.h"
#include "Variant.h"
#include "XMLDocument.h"

namespace vantle {

namespace {

// The names of the parts of categories and sources that Atom 1.0 writes.
constexpr std::string_view sTerm = "term";
constexpr std::string_view sRel = "rel";
constexpr std::string_view sSelf = "self";
constexpr std::string_view sAlternate = "alternate";

using TRowReader = void (*)(TSimpleParserBase& parser, IXMLNode& element, TRSSChannel& channel);

struct TChannelRow {
  std::string_view Name;
  TRowReader Read;
  bool ReadByAtom;
};

std::string RequiredFieldPath(std::string_view parent, std::string_view name) {
  std::string path(parent);
  if (!path.empty()) path += sPathSeparator;
  path += name;
  return path;
}

int32_t IntegerOf(IXMLNode& node) {
  return node.NodeValue().AsInteger();
}

// Whether an element holds more than a single text: an element, a comment or several nodes.
bool HoldsMarkup(IXMLNode& node) {
  if (node.NodeType() != TNodeType::ntElement) return false;
  const IXMLNodeList& children = node.ChildNodes();
  if (children.Count() > 1) return true;
  if (children.Count() == 0) return false;
  const TNodeType only = children.Nodes(0).NodeType();
  return only != TNodeType::ntText && only != TNodeType::ntCData;
}

// What a node that does not read as text gives: its markup, kept or stripped, or nothing
// when it holds no markup (it is empty) or only markup without text.
std::optional<std::string> ReadAround(IXMLNode& node, bool keepMarkup) {
  if (!HoldsMarkup(node)) return std::nullopt;
  std::string text = keepMarkup ? InnerXhtml(node) : StrippedText(node);
  if (text.empty()) return std::nullopt;
  return text;
}

}  // namespace

TSimpleParserBase::TSimpleParserBase(TSimpleRSS& rss) : RSS(rss), FTolerant(rss.Tolerant) {}

void TSimpleParserBase::Run() {
  Parse();
  TRSSImageReq& image = RSS.Channel().Optional.Image.Required;
  if (FImageTakesTitle) image.SetTitle(RSS.Channel().Required.StoredTitle());
  if (FImageTakesLink) image.SetLink(RSS.Channel().Required.StoredLink());
}

IXMLNode* TSimpleParserBase::FindChild(IXMLNode& element, std::string_view name) {
  return element.ChildNodes().FindNode(name);
}

IXMLNode* TSimpleParserBase::FindAttribute(IXMLNode& element, std::string_view name) {
  return element.AttributeNodes().FindNode(name);
}

IXMLNode* TSimpleParserBase::FindChildByQualifiedName(IXMLNode& element, std::string_view name) {
  IXMLNodeList& children = element.ChildNodes();
  for (int i = 0; i < children.Count(); ++i) {
    IXMLNode& child = children.Nodes(i);
    if (child.NodeName() == name) return &child;
  }
  return nullptr;
}

std::string TSimpleParserBase::TextOf(IXMLNode& node) {
  return node.NodeValue().AsString();
}

std::string TSimpleParserBase::TextOr(IXMLNode& node, std::string_view fallback) {
  try {
    return TextOf(node);
  } catch (const Exception&) {
    return std::string(fallback);
  }
}

std::string TSimpleParserBase::BodyOf(IXMLNode& element) {
  const IXMLNodeList& children = element.ChildNodes();
  return TextOf(children.Count() > 0 ? children.Nodes(0) : element);
}

std::optional<std::string> TSimpleParserBase::OptionalAttribute(IXMLNode& element,
                                                                std::string_view name) {
  TVariant value = element.Attributes(name);
  if (value.IsNull()) return std::nullopt;
  return std::move(value).AsString();
}

std::optional<std::string> TSimpleParserBase::Tolerate(IXMLNode& node,
                                                       std::string (*read)(IXMLNode&),
                                                       TTextKind kind) const {
  try {
    return read(node);
  } catch (const EVariantError&) {
  } catch (const EXMLDocError&) {
  }
  return ReadAround(node, kind == TTextKind::tkMarkup);
}

std::optional<int32_t> TSimpleParserBase::IntegerRead(IXMLNode& node) const {
  if (!FTolerant) return IntegerOf(node);
  try {
    return IntegerOf(node);
  } catch (const EVariantError&) {
  } catch (const EXMLDocError&) {
  }
  return std::nullopt;
}

std::string TSimpleParserBase::RequiredText(IXMLNode& element, TTextKind kind) const {
  return TextRead(element, kind).value_or(std::string());
}

std::optional<std::string> TSimpleParserBase::AttributeText(IXMLNode& element,
                                                            std::string_view name) const {
  IXMLNode* attribute = FindAttribute(element, name);
  if (attribute == nullptr) return std::nullopt;
  return TextRead(*attribute);
}

void TSimpleParserBase::RaiseRequiredField(std::string_view parent, std::string_view name) {
  throw TSimpleRSSException(std::string(sRequiredFieldMissing) + RequiredFieldPath(parent, name));
}

IXMLNode& TSimpleParserBase::RequireChild(IXMLNode& element, std::string_view parent,
                                          std::string_view name) {
  IXMLNode* child = FindChild(element, name);
  if (child == nullptr) RaiseRequiredField(parent, name);
  return *child;
}

IXMLNode* TSimpleParserBase::RequireTitleOrBody(IXMLNode& element, std::string_view parent,
                                                std::string_view body) {
  IXMLNode* title = FindChild(element, sTitle);
  if (title == nullptr && FindChild(element, body) == nullptr) RaiseRequiredField(parent, sTitle);
  return title;
}

IXMLNode* TSimpleParserBase::RecordAttribute(IXMLNode& element, std::string_view parent,
                                             std::string_view name) const {
  IXMLNode* attribute = FindAttribute(element, name);
  if (attribute == nullptr && !FTolerant) RaiseRequiredField(parent, name);
  return attribute;
}

bool TSimpleParserBase::ReadChannelRow(IXMLNode& child, TChannelRows rows) {
  using P = TSimpleParserBase;
  // Node names are distinct, so at most one row matches; the order is the table's.
  static constexpr TChannelRow Rows[] = {
      {sCategory,
       [](P& p, IXMLNode& e, TRSSChannel& c) {
         TRSSChannelCategory* category = p.FTolerant ? nullptr : &c.Optional.Categories.Add();
         std::optional<std::string> title = p.CategoryTitle(e);
         if (!title) return;
         if (category == nullptr) category = &c.Optional.Categories.Add();
         category->Category = std::move(*title);
         if (std::optional<std::string> domain = p.AttributeText(e, sDomain))
           category->Domain = std::move(*domain);
       },
       false},
      {sTitle, [](P& p, IXMLNode& e, TRSSChannel& c) { c.Required.SetTitle(p.RequiredText(e)); },
       false},
      {sLink, [](P& p, IXMLNode& e, TRSSChannel& c) { c.Required.SetLink(p.RequiredText(e)); },
       false},
      {sDescription,
       [](P& p, IXMLNode& e, TRSSChannel& c) {
         c.Required.SetDesc(p.RequiredText(e, TTextKind::tkMarkup));
       },
       false},
      {sLanguage,
       [](P& p, IXMLNode& e, TRSSChannel& c) {
         if (std::optional<std::string> code = p.TextRead(e))
           ReadLanguage(std::move(*code), c.Optional);
       },
       true},
      {sCopyright,
       [](P& p, IXMLNode& e, TRSSChannel& c) {
         if (std::optional<std::string> text = p.TextRead(e))
           c.Optional.Copyright = std::move(*text);
       },
       false},
      {sManagingEditor,
       [](P& p, IXMLNode& e, TRSSChannel& c) {
         if (std::optional<std::string> text = p.TextRead(e))
           c.Optional.ManagingEditor = std::move(*text);
       },
       false},
      {sWebMaster,
       [](P& p, IXMLNode& e, TRSSChannel& c) {
         if (std::optional<std::string> text = p.TextRead(e))
           c.Optional.WebMaster = std::move(*text);
       },
       false},
      {sPubDate,
       [](P& p, IXMLNode& e, TRSSChannel& c) {
         if (std::optional<std::string> text = p.TextRead(e)) c.Optional.PubDate.ParseRFC822(*text);
       },
       false},
      {sLastBuildDate,
       [](P& p, IXMLNode& e, TRSSChannel& c) {
         if (std::optional<std::string> text = p.TextRead(e))
           c.Optional.LastBuildDate.ParseRFC822(*text);
       },
       false},
      {sGenerator,
       [](P& p, IXMLNode& e, TRSSChannel& c) {
         if (std::optional<std::string> text = p.TextRead(e))
           c.Optional.Generator = std::move(*text);
       },
       false},
      {sDocs,
       [](P& p, IXMLNode& e, TRSSChannel& c) {
         if (std::optional<std::string> text = p.TextRead(e)) c.Optional.Docs = std::move(*text);
       },
       false},
      {sCloud, [](P& p, IXMLNode& e, TRSSChannel& c) { p.ReadCloud(e, c.Optional.Cloud); }, false},
      {sTTL,
       [](P& p, IXMLNode& e, TRSSChannel& c) {
         if (std::optional<int32_t> ttl = p.IntegerRead(e)) c.Optional.SetTTL(*ttl);
       },
       true},
      {sImage, [](P& p, IXMLNode& e, TRSSChannel& c) { p.ReadImage(e, c.Optional.Image); }, true},
      {sRating,
       [](P& p, IXMLNode& e, TRSSChannel& c) {
         if (std::optional<std::string> text = p.TextRead(e)) c.Optional.Rating = std::move(*text);
       },
       true},
      {sTextInput,
       [](P& p, IXMLNode& e, TRSSChannel& c) { p.ReadTextInput(e, c.Optional.TextInput); }, true},
      {sSkipHours, [](P&, IXMLNode& e, TRSSChannel& c) { ParseSkipHours(e, c.Optional.SkipHours); },
       true},
      {sSkipDays, [](P&, IXMLNode& e, TRSSChannel& c) { ParseSkipDays(e, c.Optional.SkipDays); },
       true},
  };
  const std::string& name = child.NodeName();
  for (const TChannelRow& row : Rows) {
    if (row.Name != name) continue;
    if (rows == TChannelRows::crAtom && !row.ReadByAtom) return false;
    row.Read(*this, child, RSS.Channel());
    return true;
  }
  return false;
}

void TSimpleParserBase::ReadItem(IXMLNode& element, TItemFormat format) {
  TRSSItem& item = RSS.Items().Add();
  IXMLNode* title = RequireTitleOrBody(element, sItem, sDescription);
  if (std::optional<std::string> text = ChildTextFrom(element, title, sTitle))
    item.Title = std::move(*text);
  if (std::optional<std::string> link = ChildText(element, sLink)) item.Link = std::move(*link);
  ReadItemBody(element, item, format);
  if (std::optional<std::string> author = ChildText(element, sAuthor))
    item.Author.Name = std::move(*author);
  if (std::optional<std::string> comments = ChildText(element, sComments))
    item.Comments = std::move(*comments);
  // RSS 1.0 items live in their own namespace while dc:date lives in Dublin Core's.
  if (format == TItemFormat::ifRSS) {
    if (std::optional<std::string> date = ChildText(element, sDCDate))
      item.PubDate.ParseISO8601(*date);
  } else if (IXMLNode* date = FindChildByQualifiedName(element, sDCDate)) {
    if (std::optional<std::string> text = TextRead(*date)) item.PubDate.ParseISO8601(*text);
  }
  if (IXMLNode* enclosure = FindChild(element, sEnclosure))
    ReadEnclosure(*enclosure, item.Enclosure);
  ReadGUID(element, item.GUID);
  if (std::optional<std::string> pubDate = ChildText(element, sPubDate))
    item.PubDate.ParseRFC822(*pubDate);
  if (IXMLNode* source = FindChild(element, sSource)) ReadSource(*source, item.Source);
  ReadItemCategories(element, item.Categories);
}

void TSimpleParserBase::ReadItemBody(IXMLNode& element, TRSSItem& item, TItemFormat format) const {
  if (format == TItemFormat::ifRDF) {
    if (IXMLNode* description = FindChild(element, sDescription))
      item.Description = TextOr(*description, "");
    return;
  }
  // The last body present wins: description over content:encoded over content.
  for (std::string_view name : {sContent, sContentEncoded, sDescription})
    if (std::optional<std::string> body =
            FirstChildValue(element, name, [this](IXMLNode& child) { return BodyRead(child); }))
      item.Description = std::move(*body);
}

void TSimpleParserBase::ReadGUID(IXMLNode& element, TRSSItemGUID& guid) const {
  bool permaLink = true;
  std::optional<std::string> text = FirstChildValue(element, sGUID, [&](IXMLNode& child) {
    // Strictly the flag comes before the text, so a failed load shows it set, as it always has.
    if (!FTolerant) guid.Include = true;
    std::optional<std::string> value = TextRead(child);
    // Without the attribute a guid is a permalink, as RSS 2.0 defines it; RSS 1.0 feeds
    // borrow the element from RSS 2.0, so they read it the same way.
    IXMLNode* attribute = FindAttribute(child, sIsPermaLink);
    permaLink = attribute == nullptr || attribute->NodeValue().StringOr("") == sTrue;
    return value;
  });
  if (!text) return;
  guid.Include = true;
  guid.GUID = std::move(*text);
  guid.IsPermaLink = permaLink;
}

void TSimpleParserBase::ReadEnclosure(IXMLNode& element, TRSSItemEnclosure& enclosure) const {
  IXMLNode* url = RecordAttribute(element, sEnclosure, sURL);
  IXMLNode* length = RecordAttribute(element, sEnclosure, sLength);
  IXMLNode* type = RecordAttribute(element, sEnclosure, sType);
  std::optional<std::string> address = url != nullptr ? TextRead(*url) : std::nullopt;
  std::optional<int32_t> bytes = length != nullptr ? IntegerRead(*length) : std::nullopt;
  std::optional<std::string> kind = type != nullptr ? TextRead(*type) : std::nullopt;
  if (!address) return;
  enclosure.URL = std::move(*address);
  enclosure.Length = bytes.value_or(0);
  enclosure.EnclosureType = std::move(kind).value_or(std::string());
  enclosure.Include = true;
}

void TSimpleParserBase::ReadSource(IXMLNode& element, TRSSItemSource& source) const {
  IXMLNode* url = RecordAttribute(element, sSource, sURL);
  if (!FTolerant) source.Include = true;  // before the reads, as a failed load shows it
  // An Atom 1.0 source holds the feed's own elements; its title is the one to show.
  std::optional<std::string> title = FTolerant && FindChild(element, sTitle) != nullptr
                                         ? ChildText(element, sTitle)
                                         : TextRead(element);
  std::optional<std::string> address = url != nullptr ? TextRead(*url) : LinkOfSource(element);
  if (!address) return;
  source.Include = true;
  source.Title = title.value_or(std::string());
  source.URL = std::move(*address);
}

std::optional<std::string> TSimpleParserBase::LinkOfSource(IXMLNode& source) {
  IXMLNodeList& children = source.ChildNodes();
  for (std::string_view rel : {sSelf, sAlternate}) {
    for (IXMLNode* link = children.FindNode(sLink); link != nullptr;
         link = children.FindNextNode(sLink, *link)) {
      std::optional<std::string> href = OptionalAttribute(*link, sHref);
      if (OptionalAttribute(*link, sRel) == rel && href && !href->empty()) return href;
    }
  }
  return std::nullopt;
}

void TSimpleParserBase::ReadImage(IXMLNode& element, TRSSImage& image) {
  if (!FTolerant) {
    RequireChild(element, sImage, sURL);
    RequireChild(element, sImage, sTitle);
    RequireChild(element, sImage, sLink);
    image.Include = true;  // before the reads, as a failed load shows it
  }
  std::optional<std::string> url = ChildText(element, sURL);
  if (!url) return;
  std::optional<std::string> title = ChildText(element, sTitle);
  std::optional<std::string> link = ChildText(element, sLink);
  FImageTakesTitle = !title;
  FImageTakesLink = !link;
  image.Include = true;
  image.Required.SetURL(std::move(*url));
  image.Required.SetTitle(title.value_or(std::string()));
  image.Required.SetLink(link.value_or(std::string()));
  if (std::optional<std::string> description = ChildText(element, sDescription))
    image.Optional.Description = std::move(*description);
  if (IXMLNode* width = FindChild(element, sWidth))
    if (std::optional<int32_t> value = IntegerRead(*width)) image.Optional.SetWidth(*value);
  if (IXMLNode* height = FindChild(element, sHeight))
    if (std::optional<int32_t> value = IntegerRead(*height)) image.Optional.SetHeight(*value);
}

void TSimpleParserBase::ReadTextInput(IXMLNode& element, TRSSTextInput& textInput) const {
  if (!FTolerant) {
    RequireChild(element, sTextInput, sTitle);
    RequireChild(element, sTextInput, sDescription);
    RequireChild(element, sTextInput, sName);
    RequireChild(element, sTextInput, sLink);
    textInput.Include = true;  // before the reads, as a failed load shows it
  }
  std::optional<std::string> title = ChildText(element, sTitle);
  std::optional<std::string> description = ChildText(element, sDescription);
  std::optional<std::string> link = ChildText(element, sLink);
  std::optional<std::string> name = ChildText(element, sName);
  if (!title || !description || !link || !name) return;
  textInput.Include = true;
  textInput.Title = std::move(*title);
  textInput.Description = std::move(*description);
  textInput.Link = std::move(*link);
  textInput.TextInputName = std::move(*name);
}

void TSimpleParserBase::ReadCloud(IXMLNode& element, TRSSCloud& cloud) const {
  IXMLNodeList& attributes = element.AttributeNodes();
  cloud.Include = attributes.Count() > 0;
  if (!cloud.Include) return;
  // A missing attribute is created empty and so fails as an empty value.
  if (std::optional<std::string> domain = TextRead(attributes.Nodes(sDomain)))
    cloud.Domain = std::move(*domain);
  if (std::optional<int32_t> port = IntegerRead(attributes.Nodes(sPort))) cloud.SetPort(*port);
  if (std::optional<std::string> path = TextRead(attributes.Nodes(sPath)))
    cloud.Path = std::move(*path);
  if (std::optional<std::string> procedure = TextRead(attributes.Nodes(sRegisterProcedure)))
    cloud.RegisterProcedure = std::move(*procedure);
  if (std::optional<std::string> protocol = TextRead(attributes.Nodes(sProtocol)))
    cloud.Protocol = std::move(*protocol);
}

std::optional<std::string> TSimpleParserBase::CategoryTitle(IXMLNode& category) const {
  if (std::optional<std::string> text = TextRead(category)) return text;
  std::optional<std::string> term = OptionalAttribute(category, sTerm);
  if (term && term->empty()) return std::nullopt;
  return term;
}

void TSimpleParserBase::ReadItemCategories(IXMLNode& element,
                                           TRSSItemCategories& categories) const {
  IXMLNodeList& children = element.ChildNodes();
  for (int i = 0; i < children.Count(); ++i) {
    IXMLNode& child = children.Nodes(i);
    if (child.LocalName() != sCategory) continue;
    // Strictly the entry comes before its text, so a failed load shows it, as it always has.
    TRSSItemCategory* category = FTolerant ? nullptr : &categories.Add();
    std::optional<std::string> title = CategoryTitle(child);
    if (!title) continue;
    if (category == nullptr) category = &categories.Add();
    category->Title = std::move(*title);
    if (std::optional<std::string> domain = AttributeText(child, sDomain))
      category->Domain = std::move(*domain);
  }
}

void TSimpleParserBase::ReadLanguage(std::string code, TRSSChannelOpt& options) {
  options.Language = StrToLanguage(code);
  options.XLang = options.Language == langX ? std::move(code) : std::string();
}

}  // namespace vantle
