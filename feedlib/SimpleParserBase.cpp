#include "SimpleParserBase.h"

#include <utility>

#include "SimpleRSS.h"
#include "SimpleRSSConst.h"
#include "SimpleRSSException.h"
#include "SimpleRSSUtils.h"
#include "XMLDocument.h"

namespace vantle {

namespace {

using TRowReader = void (*)(IXMLNode& element, TRSSChannel& channel);

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

}  // namespace

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

int32_t TSimpleParserBase::IntegerOf(IXMLNode& node) {
  return node.NodeValue().AsInteger();
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

void TSimpleParserBase::RaiseRequiredField(std::string_view parent, std::string_view name) {
  throw TSimpleRSSException(std::string(sRequiredFieldMissing) + RequiredFieldPath(parent, name));
}

IXMLNode& TSimpleParserBase::RequireChild(IXMLNode& element, std::string_view parent,
                                          std::string_view name) {
  IXMLNode* child = FindChild(element, name);
  if (child == nullptr) RaiseRequiredField(parent, name);
  return *child;
}

IXMLNode& TSimpleParserBase::RequireAttribute(IXMLNode& element, std::string_view parent,
                                              std::string_view name) {
  IXMLNode* attribute = FindAttribute(element, name);
  if (attribute == nullptr) RaiseRequiredField(parent, name);
  return *attribute;
}

IXMLNode* TSimpleParserBase::RequireTitleOrBody(IXMLNode& element, std::string_view parent,
                                                std::string_view body) {
  IXMLNode* title = FindChild(element, sTitle);
  if (title == nullptr && FindChild(element, body) == nullptr) RaiseRequiredField(parent, sTitle);
  return title;
}

bool TSimpleParserBase::ReadChannelRow(IXMLNode& child, TChannelRows rows) {
  // Node names are distinct, so at most one row matches; the order is the table's.
  static constexpr TChannelRow Rows[] = {
      {sCategory,
       [](IXMLNode& e, TRSSChannel& c) {
         TRSSChannelCategory& category = c.Optional.Categories.Add();
         category.Category = TextOf(e);
         if (IXMLNode* domain = FindAttribute(e, sDomain)) category.Domain = TextOf(*domain);
       },
       false},
      {sTitle, [](IXMLNode& e, TRSSChannel& c) { c.Required.SetTitle(TextOf(e)); }, false},
      {sLink, [](IXMLNode& e, TRSSChannel& c) { c.Required.SetLink(TextOf(e)); }, false},
      {sDescription, [](IXMLNode& e, TRSSChannel& c) { c.Required.SetDesc(TextOf(e)); }, false},
      {sLanguage, [](IXMLNode& e, TRSSChannel& c) { ReadLanguage(e, c.Optional); }, true},
      {sCopyright, [](IXMLNode& e, TRSSChannel& c) { c.Optional.Copyright = TextOf(e); }, false},
      {sManagingEditor, [](IXMLNode& e, TRSSChannel& c) { c.Optional.ManagingEditor = TextOf(e); },
       false},
      {sWebMaster, [](IXMLNode& e, TRSSChannel& c) { c.Optional.WebMaster = TextOf(e); }, false},
      {sPubDate, [](IXMLNode& e, TRSSChannel& c) { c.Optional.PubDate.ParseRFC822(TextOf(e)); },
       false},
      {sLastBuildDate,
       [](IXMLNode& e, TRSSChannel& c) { c.Optional.LastBuildDate.ParseRFC822(TextOf(e)); }, false},
      {sGenerator, [](IXMLNode& e, TRSSChannel& c) { c.Optional.Generator = TextOf(e); }, false},
      {sDocs, [](IXMLNode& e, TRSSChannel& c) { c.Optional.Docs = TextOf(e); }, false},
      {sCloud, [](IXMLNode& e, TRSSChannel& c) { ReadCloud(e, c.Optional.Cloud); }, false},
      {sTTL, [](IXMLNode& e, TRSSChannel& c) { c.Optional.SetTTL(IntegerOf(e)); }, true},
      {sImage, [](IXMLNode& e, TRSSChannel& c) { ReadImage(e, c.Optional.Image); }, true},
      {sRating, [](IXMLNode& e, TRSSChannel& c) { c.Optional.Rating = TextOf(e); }, true},
      {sTextInput, [](IXMLNode& e, TRSSChannel& c) { ReadTextInput(e, c.Optional.TextInput); },
       true},
      {sSkipHours, [](IXMLNode& e, TRSSChannel& c) { ParseSkipHours(e, c.Optional.SkipHours); },
       true},
      {sSkipDays, [](IXMLNode& e, TRSSChannel& c) { ParseSkipDays(e, c.Optional.SkipDays); }, true},
  };
  const std::string& name = child.NodeName();
  for (const TChannelRow& row : Rows) {
    if (row.Name != name) continue;
    if (rows == TChannelRows::crAtom && !row.ReadByAtom) return false;
    row.Read(child, RSS.Channel());
    return true;
  }
  return false;
}

void TSimpleParserBase::ReadItem(IXMLNode& element, TItemFormat format) {
  TRSSItem& item = RSS.Items().Add();
  if (IXMLNode* title = RequireTitleOrBody(element, sItem, sDescription))
    item.Title = TextOf(*title);
  if (IXMLNode* link = FindChild(element, sLink)) item.Link = TextOf(*link);
  ReadItemBody(element, item, format);
  if (IXMLNode* author = FindChild(element, sAuthor)) item.Author.Name = TextOf(*author);
  if (IXMLNode* comments = FindChild(element, sComments)) item.Comments = TextOf(*comments);
  // RSS 1.0 items live in their own namespace while dc:date lives in Dublin Core's.
  IXMLNode* date = format == TItemFormat::ifRSS ? FindChild(element, sDCDate)
                                                : FindChildByQualifiedName(element, sDCDate);
  if (date != nullptr) item.PubDate.ParseISO8601(TextOf(*date));
  if (IXMLNode* enclosure = FindChild(element, sEnclosure))
    ReadEnclosure(*enclosure, item.Enclosure);
  if (IXMLNode* guid = FindChild(element, sGUID)) ReadGUID(*guid, item.GUID);
  if (IXMLNode* pubDate = FindChild(element, sPubDate)) item.PubDate.ParseRFC822(TextOf(*pubDate));
  if (IXMLNode* source = FindChild(element, sSource)) ReadSource(*source, item.Source);
  ReadItemCategories(element, item.Categories);
}

void TSimpleParserBase::ReadItemBody(IXMLNode& element, TRSSItem& item, TItemFormat format) {
  if (format == TItemFormat::ifRDF) {
    if (IXMLNode* description = FindChild(element, sDescription))
      item.Description = TextOr(*description, "");
    return;
  }
  // The last body present wins: description over content:encoded over content.
  for (std::string_view name : {sContent, sContentEncoded, sDescription})
    if (IXMLNode* body = FindChild(element, name)) item.Description = BodyOf(*body);
}

void TSimpleParserBase::ReadGUID(IXMLNode& element, TRSSItemGUID& guid) {
  guid.Include = true;
  guid.GUID = TextOf(element);
  // Without the attribute a guid is a permalink, as RSS 2.0 defines it; RSS 1.0 feeds
  // borrow the element from RSS 2.0, so they read it the same way.
  IXMLNode* permaLink = FindAttribute(element, sIsPermaLink);
  guid.IsPermaLink = permaLink == nullptr || permaLink->NodeValue().StringOr("") == sTrue;
}

void TSimpleParserBase::ReadEnclosure(IXMLNode& element, TRSSItemEnclosure& enclosure) {
  IXMLNode& url = RequireAttribute(element, sEnclosure, sURL);
  IXMLNode& length = RequireAttribute(element, sEnclosure, sLength);
  IXMLNode& type = RequireAttribute(element, sEnclosure, sType);
  enclosure.URL = TextOf(url);
  enclosure.Length = IntegerOf(length);
  enclosure.EnclosureType = TextOf(type);
  enclosure.Include = true;
}

void TSimpleParserBase::ReadSource(IXMLNode& element, TRSSItemSource& source) {
  IXMLNode& url = RequireAttribute(element, sSource, sURL);
  source.Include = true;
  source.Title = TextOf(element);
  source.URL = TextOf(url);
}

void TSimpleParserBase::ReadImage(IXMLNode& element, TRSSImage& image) {
  IXMLNode& url = RequireChild(element, sImage, sURL);
  IXMLNode& title = RequireChild(element, sImage, sTitle);
  IXMLNode& link = RequireChild(element, sImage, sLink);
  image.Include = true;
  image.Required.SetURL(TextOf(url));
  image.Required.SetTitle(TextOf(title));
  image.Required.SetLink(TextOf(link));
  if (IXMLNode* description = FindChild(element, sDescription))
    image.Optional.Description = TextOf(*description);
  if (IXMLNode* width = FindChild(element, sWidth)) image.Optional.SetWidth(IntegerOf(*width));
  if (IXMLNode* height = FindChild(element, sHeight)) image.Optional.SetHeight(IntegerOf(*height));
}

void TSimpleParserBase::ReadTextInput(IXMLNode& element, TRSSTextInput& textInput) {
  IXMLNode& title = RequireChild(element, sTextInput, sTitle);
  IXMLNode& description = RequireChild(element, sTextInput, sDescription);
  IXMLNode& name = RequireChild(element, sTextInput, sName);
  IXMLNode& link = RequireChild(element, sTextInput, sLink);
  textInput.Include = true;
  textInput.Title = TextOf(title);
  textInput.Description = TextOf(description);
  textInput.Link = TextOf(link);
  textInput.TextInputName = TextOf(name);
}

void TSimpleParserBase::ReadCloud(IXMLNode& element, TRSSCloud& cloud) {
  IXMLNodeList& attributes = element.AttributeNodes();
  cloud.Include = attributes.Count() > 0;
  if (!cloud.Include) return;
  // A missing attribute is created empty and so fails as an empty value.
  cloud.Domain = TextOf(attributes.Nodes(sDomain));
  cloud.SetPort(IntegerOf(attributes.Nodes(sPort)));
  cloud.Path = TextOf(attributes.Nodes(sPath));
  cloud.RegisterProcedure = TextOf(attributes.Nodes(sRegisterProcedure));
  cloud.Protocol = TextOf(attributes.Nodes(sProtocol));
}

void TSimpleParserBase::ReadItemCategories(IXMLNode& element, TRSSItemCategories& categories) {
  IXMLNodeList& children = element.ChildNodes();
  for (int i = 0; i < children.Count(); ++i) {
    IXMLNode& child = children.Nodes(i);
    if (child.LocalName() != sCategory) continue;
    TRSSItemCategory& category = categories.Add();
    category.Title = TextOf(child);
    if (IXMLNode* domain = FindAttribute(child, sDomain)) category.Domain = TextOf(*domain);
  }
}

void TSimpleParserBase::ReadLanguage(IXMLNode& element, TRSSChannelOpt& options) {
  std::string code = TextOf(element);
  options.Language = StrToLanguage(code);
  options.XLang = options.Language == langX ? std::move(code) : std::string();
}

}  // namespace vantle
