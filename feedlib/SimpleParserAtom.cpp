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
      channel.Required.SetTitle(TextOf(child));
    } else if (name == sLink) {
      // A link without an address is skipped, so the last one that has one wins.
      if (std::optional<std::string> href = OptionalAttribute(child, sHref))
        channel.Required.SetLink(std::move(*href));
    } else if (name == sTagline) {
      channel.Required.SetDesc(TextOf(child));
    } else if (name == sGenerator) {
      channel.Optional.Generator = TextOf(child);
    } else if (name == sModified) {
      channel.Optional.PubDate.ParseISO8601(TextOf(child));
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
  if (IXMLNode* title = RequireTitleOrBody(entry, sEntry, sContent)) item.Title = TextOf(*title);
  // Only the first link counts, even when it has no address.
  if (IXMLNode* link = FindChild(entry, sLink))
    if (std::optional<std::string> href = OptionalAttribute(*link, sHref))
      item.Link = std::move(*href);
  if (IXMLNode* content = FindChild(entry, sContent)) {
    item.Description = BodyOf(*content);
    if (OptionalAttribute(*content, sMode) == sBase64)
      item.Description = DecodeBase64(item.Description);
  }
  if (IXMLNode* author = FindChild(entry, sAuthor)) {
    if (IXMLNode* name = FindChild(*author, sName)) item.Author.Name = TextOf(*name);
    if (IXMLNode* email = FindChild(*author, sEmail)) item.Author.EMail = TextOf(*email);
    if (IXMLNode* url = FindChild(*author, sURL)) item.Author.URL = TextOf(*url);
  }
  if (IXMLNode* comments = FindChild(entry, sComments)) item.Comments = TextOf(*comments);
  if (IXMLNode* modified = FindChild(entry, sModified))
    item.PubDate.ParseISO8601(TextOf(*modified));
  if (IXMLNode* enclosure = FindChild(entry, sEnclosure)) ReadEnclosure(*enclosure, item.Enclosure);
  if (IXMLNode* id = FindChild(entry, sID)) {
    item.GUID.Include = true;
    item.GUID.GUID = TextOf(*id);
  }
  if (IXMLNode* pubDate = FindChild(entry, sPubDate)) item.PubDate.ParseRFC822(TextOf(*pubDate));
  if (IXMLNode* source = FindChild(entry, sSource)) ReadSource(*source, item.Source);
  ReadItemCategories(entry, item.Categories);
}

}  // namespace vantle
