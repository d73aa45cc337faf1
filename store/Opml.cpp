#include "store/Opml.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "Exception.h"
#include "XMLDocument.h"
#include "store/GridText.h"

namespace vantle {

namespace {

constexpr std::string_view LooseFeedsFolder = "";

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

std::string Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

bool SameAsciiName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

// The attribute of `outline` whose name is `name` in any case, trimmed; empty when absent.
std::string Attribute(IXMLNode& outline, std::string_view name) {
  IXMLNodeList& attributes = outline.AttributeNodes();
  for (int i = 0; i < attributes.Count(); ++i) {
    IXMLNode& attribute = attributes.Nodes(i);
    if (SameAsciiName(attribute.LocalName(), name)) {
      return Trimmed(attribute.NodeValue().StringOr(""));
    }
  }
  return {};
}

std::string FirstNonEmpty(std::initializer_list<std::string> texts) {
  for (const std::string& text : texts)
    if (!text.empty()) return text;
  return {};
}

// The element children of `node` named `name` (local name, any namespace).
std::vector<IXMLNode*> Children(IXMLNode& node, std::string_view name) {
  std::vector<IXMLNode*> found;
  IXMLNodeList& children = node.ChildNodes();
  for (int i = 0; i < children.Count(); ++i) {
    IXMLNode& child = children.Nodes(i);
    if (child.NodeType() == TNodeType::ntElement && child.LocalName() == name) {
      found.push_back(&child);
    }
  }
  return found;
}

// The text of an element: its character children joined.
std::string TextOf(IXMLNode& element) {
  std::string text;
  IXMLNodeList& children = element.ChildNodes();
  for (int i = 0; i < children.Count(); ++i) {
    IXMLNode& child = children.Nodes(i);
    if (child.NodeType() == TNodeType::ntText || child.NodeType() == TNodeType::ntCData) {
      text += child.NodeValue().StringOr("");
    }
  }
  return Trimmed(text);
}

// Adds the feed `outline` is, if any, and those below it to `feeds`.
void GatherFeeds(IXMLNode& outline, std::vector<TFeed>& feeds) {
  const std::string link = Attribute(outline, "xmlUrl");
  if (!link.empty()) {
    feeds.push_back(
        {link, FirstNonEmpty({Attribute(outline, "title"), Attribute(outline, "text"), link})});
  }
  for (IXMLNode* child : Children(outline, "outline")) GatherFeeds(*child, feeds);
}

void AppendEscaped(std::string& out, std::string_view text) {
  for (const char c : ValidUtf8(text)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\t':
        out += "&#9;";
        break;
      case '\n':
        out += "&#10;";
        break;
      case '\r':
        out += "&#13;";
        break;
      default:
        // XML 1.0 has no other control characters.
        if (!(static_cast<unsigned char>(c) < ' ')) out += c;
    }
  }
}

void AppendAttribute(std::string& out, std::string_view name, std::string_view value) {
  out += ' ';
  out += name;
  out += "=\"";
  AppendEscaped(out, value);
  out += '"';
}

}  // namespace

TOpmlSubscriptions ReadOpml(std::string_view bytes, const std::string& source) {
  TXMLDocument document;
  document.Options = doAttrNull;
  document.LoadFromData(bytes.data(), bytes.size(), source);
  IXMLNode& root = document.DocumentElement();
  if (root.LocalName() != "opml") {
    throw Exception("it is not an OPML document (its root element is <" + root.NodeName() + ">)");
  }
  const std::vector<IXMLNode*> bodies = Children(root, "body");
  if (bodies.empty()) throw Exception("it is not an OPML document (it has no body)");
  TOpmlSubscriptions subscriptions;
  for (IXMLNode* head : Children(root, "head")) {
    for (IXMLNode* title : Children(*head, "title")) subscriptions.Title = TextOf(*title);
  }
  TGroup loose{std::string(LooseFeedsFolder), {}};
  for (IXMLNode* outline : Children(*bodies.front(), "outline")) {
    if (!Attribute(*outline, "xmlUrl").empty()) {
      GatherFeeds(*outline, loose.Feeds);
      continue;
    }
    TGroup folder{FirstNonEmpty({Attribute(*outline, "text"), Attribute(*outline, "title")}), {}};
    for (IXMLNode* child : Children(*outline, "outline")) GatherFeeds(*child, folder.Feeds);
    subscriptions.Folders.push_back(std::move(folder));
  }
  if (!loose.Feeds.empty()) {
    loose.Name = subscriptions.Title;
    subscriptions.Folders.push_back(std::move(loose));
  }
  return subscriptions;
}

std::string WriteOpml(const std::vector<TGroup>& groups, std::string_view title,
                      std::time_t created) {
  std::string out;
  std::size_t feeds = 0;
  for (const TGroup& group : groups) feeds += group.Feeds.size();
  out.reserve(256 + groups.size() * 64 + feeds * 200);
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<opml version=\"2.0\">\n  <head>\n";
  out += "    <title>";
  AppendEscaped(out, title);
  out += "</title>\n    <dateCreated>" + Rfc822Date(created) + "</dateCreated>\n  </head>\n";
  out += "  <body>\n";
  for (const TGroup& group : groups) {
    out += "    <outline";
    AppendAttribute(out, "text", group.Name);
    if (group.Feeds.empty()) {
      out += "/>\n";
      continue;
    }
    out += ">\n";
    for (const TFeed& feed : group.Feeds) {
      out += "      <outline type=\"rss\"";
      AppendAttribute(out, "text", feed.Title);
      AppendAttribute(out, "title", feed.Title);
      AppendAttribute(out, "xmlUrl", feed.Link);
      out += "/>\n";
    }
    out += "    </outline>\n";
  }
  out += "  </body>\n</opml>\n";
  return out;
}

std::string Rfc822Date(std::time_t time) {
  std::tm utc{};
  gmtime_r(&time, &utc);
  static constexpr std::array<const char*, 7> Days = {"Sun", "Mon", "Tue", "Wed",
                                                      "Thu", "Fri", "Sat"};
  static constexpr std::array<const char*, 12> Months = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char text[40];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", Days[utc.tm_wday],
                utc.tm_mday, Months[utc.tm_mon], utc.tm_year + 1900, utc.tm_hour, utc.tm_min,
                utc.tm_sec);
  return text;
}

}  // namespace vantle
