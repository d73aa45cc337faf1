#include "SimpleParserAtom.h"

#include "SimpleRSS.h"
#include "SimpleRSSConst.h"
#include "SimpleRSSUtils.h"
#include "XMLDocument.h"

namespace vantle {

void TSimpleParserAtom::Parse() {
  IXMLNode& root = RSS.XMLFile().DocumentElement();
  IXMLNode* head = FindChild(root, sHead);
  ParseHead(head != nullptr ? *head : root);
  // Entries beside a head element are the feed's too, so the walk covers the document
  // element's children and steps into the head where it stands.
  ReadEntries(root, head);
}

void TSimpleParserAtom::ParseHead(IXMLNode& head) {
  TRSSChannel& channel = RSS.Channel();
  IXMLNodeList& children = head.ChildNodes();
  for (int i = 0; i < children.Count(); ++i) {
    IXMLNode& child = children.Nodes(i);
    const std::string& name = child.NodeName();
    if (name == sTitle) {
      channel.Required.SetTitle(RequiredText(child));
    } else if (name == sLink) {
      // A link without an address is skipped, so the last one that has one wins.
      if (std::optional<std::string> href = OptionalAttribute(child, sHref))
        channel.Required.SetLink(std::move(*href));
    } else if (name == sTagline) {
      channel.Required.SetDesc(RequiredText(child));
    } else if (name == sGenerator) {
      if (std::optional<std::string> generator = TextRead(child))
        channel.Optional.Generator = std::move(*generator);
    } else if (name == sModified) {
      if (std::optional<std::string> modified = TextRead(child))
        channel.Optional.PubDate.ParseISO8601(*modified);
    }
  }
}

void TSimpleParserAtom::ReadEntries(IXMLNode& element, const IXMLNode* head) {
  IXMLNodeList& children = element.ChildNodes();
  const int count = children.Count();
  for (int i = 0; i < count; ++i) {
    IXMLNode& child = children.Nodes(i);
    if (&child == head)
      ReadEntries(child, nullptr);
    else if (child.NodeName() == sEntry)
      ReadEntry(child);
    else
      ReadChannelRow(child, TChannelRows::crAtom);
  }
}

void TSimpleParserAtom::ReadEntry(IXMLNode& entry) {
  TRSSItem& item = RSS.Items().Add();
  IXMLNode* title = RequireTitleOrBody(entry, sEntry, sContent);
  if (std::optional<std::string> text = ChildTextFrom(entry, title, sTitle))
    item.Title = std::move(*text);
  // Only the first link counts, even when it has no address.
  if (IXMLNode* link = FindChild(entry, sLink))
    if (std::optional<std::string> href = OptionalAttribute(*link, sHref))
      item.Link = std::move(*href);
  if (std::optional<std::string> content =
          FirstChildValue(entry, sContent, [this](IXMLNode& child) {
            std::optional<std::string> body = BodyRead(child);
            if (body && OptionalAttribute(child, sMode) == sBase64)
              return std::optional(DecodeBase64(*body));
            return body;
          }))
    item.Description = std::move(*content);
  if (IXMLNode* author = FindChild(entry, sAuthor)) {
    if (std::optional<std::string> name = ChildText(*author, sName))
      item.Author.Name = std::move(*name);
    if (std::optional<std::string> email = ChildText(*author, sEmail))
      item.Author.EMail = std::move(*email);
    if (std::optional<std::string> url = ChildText(*author, sURL))
      item.Author.URL = std::move(*url);
  }
  if (std::optional<std::string> comments = ChildText(entry, sComments))
    item.Comments = std::move(*comments);
  if (std::optional<std::string> modified = ChildText(entry, sModified))
    item.PubDate.ParseISO8601(*modified);
  if (IXMLNode* enclosure = FindChild(entry, sEnclosure)) ReadEnclosure(*enclosure, item.Enclosure);
  if (IXMLNode* id = FindChild(entry, sID)) {
    if (!FTolerant) item.GUID.Include = true;  // before the read, as a failed load shows it
    if (std::optional<std::string> text = ChildTextFrom(entry, id, sID)) {
      item.GUID.Include = true;
      item.GUID.GUID = std::move(*text);
    }
  }
  if (std::optional<std::string> pubDate = ChildText(entry, sPubDate))
    item.PubDate.ParseRFC822(*pubDate);
  if (IXMLNode* source = FindChild(entry, sSource)) ReadSource(*source, item.Source);
  ReadItemCategories(entry, item.Categories);
}

}  // namespace vantle
