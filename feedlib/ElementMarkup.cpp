#include "ElementMarkup.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "XMLDocument.h"

namespace vantle {

namespace {

constexpr std::string_view kXhtmlNamespace = "http://www.w3.org/1999/xhtml";

// Elements that HTML writes without an end tag.
constexpr std::array<std::string_view, 14> kVoidElements = {
    "area",  "base", "br",   "col",   "embed",  "hr",    "img",
    "input", "link", "meta", "param", "source", "track", "wbr"};

std::string TextOfNode(const IXMLNode& node) {
  return node.NodeValue().StringOr("");
}

void AppendEscaped(std::string& out, std::string_view text, bool inAttribute) {
  for (char c : text) {
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
        if (inAttribute) {
          out += "&quot;";
          break;
        }
        [[fallthrough]];
      default:
        out += c;
    }
  }
}

// XHTML's own elements are written without their prefix, so that a browser knows them.
std::string_view WrittenName(const IXMLNode& node) {
  return node.NamespaceURI() == kXhtmlNamespace ? node.LocalName()
                                                : std::string_view(node.NodeName());
}

void AppendNode(std::string& out, IXMLNode& node);

// Whether an element holds nothing; reading an empty element leaves an empty text in it.
bool IsEmpty(IXMLNode& element) {
  IXMLNodeList& children = element.ChildNodes();
  return children.Count() == 0 ||
         (children.Count() == 1 && children.Nodes(0).NodeType() == TNodeType::ntText &&
          children.Nodes(0).NodeValue().IsNull());
}

void AppendChildren(std::string& out, IXMLNode& element) {
  IXMLNodeList& children = element.ChildNodes();
  for (int i = 0; i < children.Count(); ++i) AppendNode(out, children.Nodes(i));
}

void AppendElement(std::string& out, IXMLNode& element) {
  const std::string_view name = WrittenName(element);
  out.append(1, '<').append(name);
  IXMLNodeList& attributes = element.AttributeNodes();
  for (int i = 0; i < attributes.Count(); ++i) {
    IXMLNode& attribute = attributes.Nodes(i);
    out.append(1, ' ').append(WrittenName(attribute)).append("=\"");
    AppendEscaped(out, TextOfNode(attribute), true);
    out += '"';
  }
  if (IsEmpty(element) &&
      std::find(kVoidElements.begin(), kVoidElements.end(), name) != kVoidElements.end()) {
    out += " />";
    return;
  }
  out += '>';
  AppendChildren(out, element);
  out.append("</").append(name).append(1, '>');
}

void AppendNode(std::string& out, IXMLNode& node) {
  switch (node.NodeType()) {
    case TNodeType::ntElement:
      AppendElement(out, node);
      break;
    case TNodeType::ntText:
    case TNodeType::ntCData:
      AppendEscaped(out, TextOfNode(node), false);
      break;
    case TNodeType::ntComment:
      out.append("<!--").append(TextOfNode(node)).append("-->");
      break;
    default:
      break;
  }
}

// The one element child that wraps all the content, when it is a div.
IXMLNode* WrappingDiv(IXMLNode& element) {
  IXMLNodeList& children = element.ChildNodes();
  if (children.Count() != 1) return nullptr;
  IXMLNode& only = children.Nodes(0);
  return only.NodeType() == TNodeType::ntElement && only.LocalName() == "div" ? &only : nullptr;
}

void AppendText(std::string& out, IXMLNode& node) {
  const TNodeType type = node.NodeType();
  if (type == TNodeType::ntText || type == TNodeType::ntCData) {
    out += TextOfNode(node);
  } else if (type == TNodeType::ntElement) {
    IXMLNodeList& children = node.ChildNodes();
    for (int i = 0; i < children.Count(); ++i) AppendText(out, children.Nodes(i));
  }
}

}  // namespace

std::string InnerXhtml(IXMLNode& element) {
  IXMLNode* div = WrappingDiv(element);
  std::string out;
  AppendChildren(out, div != nullptr ? *div : element);
  return out;
}

std::string StrippedText(IXMLNode& element) {
  std::string out;
  AppendText(out, element);
  return out;
}

}  // namespace vantle
