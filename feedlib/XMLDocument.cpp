#include "XMLDocument.h"

#include <libxml/SAX2.h>
#include <libxml/globals.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>

namespace vantle {

namespace {

constexpr size_t kPushChunk = 256 * 1024;
constexpr size_t kEncodingProbe = 4;  // libxml2 detects the encoding from the first 4 bytes

const char* Chars(const xmlChar* text) {
  return reinterpret_cast<const char*>(text);
}
const xmlChar* XmlChars(const char* text) {
  return reinterpret_cast<const xmlChar*>(text);
}

std::string_view View(const xmlChar* text) {
  return text ? std::string_view(Chars(text)) : std::string_view();
}

// No DTD, entity or other resource is ever read from outside the document.
xmlParserInputPtr RefuseExternalEntity(const char*, const char*, xmlParserCtxtPtr) {
  return nullptr;
}

void IgnoreGenericError(void*, const char*, ...) {}

void PrepareLibxml() {
  static std::once_flag once;
  std::call_once(once, [] {
    xmlInitParser();
    xmlSetExternalEntityLoader(RefuseExternalEntity);
    xmlThrDefSetGenericErrorFunc(nullptr, IgnoreGenericError);
  });
  // The generic handler is per thread; errors without a parser context land there.
  xmlSetGenericErrorFunc(nullptr, IgnoreGenericError);
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

bool IsXmlSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Whitespace-only text between elements, which child lists leave out.
bool IsWhiteSpaceText(const xmlNode* node) {
  if (node->type != XML_TEXT_NODE || !node->content || !*node->content) return false;
  for (const xmlChar* c = node->content; *c; ++c)
    if (!IsXmlSpace(static_cast<char>(*c))) return false;
  return true;
}

bool IsListed(const xmlNode* node, bool keepWhiteSpace) {
  return keepWhiteSpace || !IsWhiteSpaceText(node);
}

TNodeType TypeOf(xmlElementType type) {
  switch (type) {
    case XML_ELEMENT_NODE:
      return TNodeType::ntElement;
    case XML_ATTRIBUTE_NODE:
      return TNodeType::ntAttribute;
    case XML_TEXT_NODE:
      return TNodeType::ntText;
    case XML_CDATA_SECTION_NODE:
      return TNodeType::ntCData;
    case XML_COMMENT_NODE:
      return TNodeType::ntComment;
    case XML_PI_NODE:
      return TNodeType::ntProcessingInstr;
    default:
      return TNodeType::ntOther;
  }
}

std::string QualifiedName(const xmlNs* ns, const xmlChar* name) {
  std::string result;
  if (ns && ns->prefix) {
    result = Chars(ns->prefix);
    result += ':';
  }
  result += View(name);
  return result;
}

bool QualifiedNameEquals(const xmlNs* ns, const xmlChar* local, std::string_view name) {
  std::string_view localName = View(local);
  if (!ns || !ns->prefix) return localName == name;
  std::string_view prefix = View(ns->prefix);
  return name.size() == prefix.size() + 1 + localName.size() && name.starts_with(prefix) &&
         name[prefix.size()] == ':' && name.ends_with(localName);
}

const std::string kTextName = "#text";
const std::string kCDataName = "#cdata-section";
const std::string kCommentName = "#comment";

// Objects of one type kept in blocks and destroyed together, so that the many small
// wrappers of a document cost no allocation each.
template <typename T>
class TPool {
 public:
  TPool() = default;
  TPool(const TPool&) = delete;
  TPool& operator=(const TPool&) = delete;
  ~TPool() {
    for (size_t b = 0; b < FBlocks.size(); ++b) {
      const size_t used = b + 1 == FBlocks.size() ? FUsed : kBlockSize;
      for (size_t i = 0; i < used; ++i)
        std::destroy_at(std::launder(reinterpret_cast<T*>(FBlocks[b]->Slots[i])));
    }
  }

  // Room for one more object, which the caller must construct at once.
  void* Slot() {
    if (FBlocks.empty() || FUsed == kBlockSize) {
      FBlocks.push_back(std::unique_ptr<TBlock>(new TBlock));
      FUsed = 0;
    }
    return FBlocks.back()->Slots[FUsed++];
  }

 private:
  static constexpr size_t kBlockSize = 256;
  struct TBlock {
    alignas(T) std::byte Slots[kBlockSize][sizeof(T)];
  };
  std::vector<std::unique_ptr<TBlock>> FBlocks;
  size_t FUsed = 0;
};

// libxml2 interns names, so a (prefix, name) pair of pointers identifies a qualified name.
struct TNameKey {
  const void* Prefix;
  const void* Name;
  bool operator==(const TNameKey&) const = default;
};

struct TNameKeyHash {
  size_t operator()(const TNameKey& key) const {
    return std::hash<const void*>()(key.Prefix) * 31 + std::hash<const void*>()(key.Name);
  }
};

std::string AttributeValue(const xmlAttr* attribute) {
  const xmlNode* text = attribute->children;
  if (!text) return {};
  if (!text->next && text->type == XML_TEXT_NODE) return std::string(View(text->content));
  xmlChar* joined = xmlNodeListGetString(attribute->doc, text, 1);
  std::string result(View(joined));
  xmlFree(joined);
  return result;
}

TVariant NonEmpty(std::string text) {
  return text.empty() ? TVariant() : TVariant(std::move(text));
}

const xmlAttr* FindAttribute(const xmlNode* element, std::string_view name) {
  for (const xmlAttr* attribute = element->properties; attribute; attribute = attribute->next)
    if (QualifiedNameEquals(attribute->ns, attribute->name, name)) return attribute;
  return nullptr;
}

// libxml2's message on one line, without its final line break.
std::string Trimmed(const char* message) {
  std::string text = message ? message : "";
  std::replace(text.begin(), text.end(), '\n', ' ');
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  return text;
}

}  // namespace

// Feeds a document to libxml2's push parser as it arrives, so the text is never held whole
// beside the tree; the first fatal error is kept for the message.
struct TXMLDocument::TArena {
  TPool<IXMLNode> Nodes;
  TPool<IXMLNodeList> Lists;
  std::unordered_map<TNameKey, const std::string*, TNameKeyHash> Names;
  std::deque<std::string> NameTexts;
};

class TXMLDocument::TPushParser {
 public:
  TPushParser(std::string name, bool keepWhiteSpace)
      : FName(std::move(name)), FKeepWhiteSpace(keepWhiteSpace) {
    PrepareLibxml();
  }
  TPushParser(const TPushParser&) = delete;
  TPushParser& operator=(const TPushParser&) = delete;
  ~TPushParser() {
    if (!FContext) return;
    if (FContext->myDoc) xmlFreeDoc(FContext->myDoc);
    xmlFreeParserCtxt(FContext);
  }

  // Parses the next bytes; raises as soon as the document is known not to be well-formed.
  void Push(const char* data, size_t size) {
    if (!FContext) {
      size_t take = std::min(size, kEncodingProbe - FHead.size());
      FHead.append(data, take);
      data += take;
      size -= take;
      if (FHead.size() < kEncodingProbe) return;
      Start();
    }
    while (size > 0) {
      size_t piece = std::min(size, kPushChunk);
      xmlParseChunk(FContext, data, static_cast<int>(piece), 0);
      Check();
      data += piece;
      size -= piece;
    }
  }

  // Ends the document and hands its tree over to the caller.
  _xmlDoc* Finish() {
    if (!FContext && FHead.empty())
      throw EXMLDocError(FName + ": not well-formed: the document is empty");
    if (!FContext) Start();
    xmlParseChunk(FContext, nullptr, 0, 1);
    Check();
    xmlDocPtr doc = FContext->myDoc;
    FContext->myDoc = nullptr;
    if (!doc || !xmlDocGetRootElement(doc)) {
      if (doc) xmlFreeDoc(doc);
      throw EXMLDocError(FName + ": not well-formed: the document has no root element");
    }
    return doc;
  }

 private:
  static constexpr int kOptions = XML_PARSE_NONET | XML_PARSE_NOENT | XML_PARSE_NOERROR |
                                  XML_PARSE_NOWARNING | XML_PARSE_COMPACT;

  void Start() {
    FContext = xmlCreatePushParserCtxt(nullptr, nullptr, FHead.data(),
                                       static_cast<int>(FHead.size()), FName.c_str());
    if (!FContext) throw EXMLDocError(FName + ": the XML parser could not be created");
    xmlCtxtUseOptions(FContext, kOptions);
    FContext->_private = this;
    FContext->sax->serror = &OnError;
    if (!FKeepWhiteSpace) FContext->sax->endElementNs = &OnEndElement;
  }

  // Whitespace-only text is never listed, so it is dropped while the element is still in the
  // cache: the tree shrinks by a third for indented feeds and later walks touch less.
  static void OnEndElement(void* userData, const xmlChar* localName, const xmlChar* prefix,
                           const xmlChar* uri) {
    auto* context = static_cast<xmlParserCtxtPtr>(userData);
    xmlNode* element = context->node;
    xmlSAX2EndElementNs(userData, localName, prefix, uri);
    if (!element) return;
    for (xmlNode* child = element->children; child;) {
      xmlNode* next = child->next;
      if (IsWhiteSpaceText(child)) {
        xmlUnlinkNode(child);
        xmlFreeNode(child);
      }
      child = next;
    }
  }

  void Check() const {
    if (FContext->wellFormed) return;
    const xmlError& error = FHasFatal ? FFatal : FContext->lastError;
    throw EXMLDocError(FName + ": not well-formed (line " + std::to_string(error.line) +
                       ", column " + std::to_string(error.int2) + "): " + Trimmed(error.message));
  }

  static void OnError(void* userData, xmlErrorPtr error) {
    auto* context = static_cast<xmlParserCtxtPtr>(userData);
    if (!context || !error || error->level != XML_ERR_FATAL) return;
    auto* self = static_cast<TPushParser*>(context->_private);
    if (!self || self->FHasFatal) return;
    self->FHasFatal = true;
    self->FFatalMessage = Trimmed(error->message);
    self->FFatal = *error;
    self->FFatal.message = self->FFatalMessage.data();
  }

  std::string FName;
  bool FKeepWhiteSpace;
  std::string FHead;
  xmlParserCtxtPtr FContext = nullptr;
  bool FHasFatal = false;
  xmlError FFatal{};
  std::string FFatalMessage;
};

IXMLNode::IXMLNode(TXMLDocument& document, void* node, TNodeType type, const std::string& name)
    : FDocument(document), FNode(node), FType(type) {
  SetName(name);
}

void IXMLNode::SetName(const std::string& name) {
  FName = &name;
  // Name lookups compare local names on every sibling, so the prefix is measured once.
  const size_t colon = name.find(':');
  const bool prefixed = colon != std::string::npos &&
                        (FType == TNodeType::ntElement || FType == TNodeType::ntAttribute);
  FLocalStart = prefixed ? static_cast<uint32_t>(colon + 1) : 0;
}

IXMLNode::~IXMLNode() = default;

std::string_view IXMLNode::LocalName() const {
  if (FType != TNodeType::ntElement && FType != TNodeType::ntAttribute) return {};
  return std::string_view(*FName).substr(FLocalStart);
}

std::string_view IXMLNode::NamespaceURI() const {
  const xmlNs* ns = nullptr;
  if (FType == TNodeType::ntElement) ns = static_cast<const xmlNode*>(FNode)->ns;
  if (FType == TNodeType::ntAttribute) ns = static_cast<const xmlAttr*>(FNode)->ns;
  return ns ? View(ns->href) : std::string_view();
}

TVariant IXMLNode::NodeValue() const {
  if (FType == TNodeType::ntAttribute)
    return NonEmpty(AttributeValue(static_cast<const xmlAttr*>(FNode)));
  auto* node = static_cast<xmlNode*>(FNode);
  if (FType != TNodeType::ntElement) return NonEmpty(std::string(View(node->content)));

  const xmlNode* only = nullptr;
  for (const xmlNode* child = node->children; child; child = child->next) {
    if (!IsListed(child, FDocument.FKeepWhiteSpace)) continue;
    if (only) throw EXMLDocError("Element does not contain a single text node");
    only = child;
  }
  if (!only) {
    // An empty element reads as an empty text child, which it then keeps.
    const_cast<IXMLNode*>(this)->AppendChild(xmlNewDocText(node->doc, XmlChars("")));
    return TVariant();
  }
  if (only->type != XML_TEXT_NODE && only->type != XML_CDATA_SECTION_NODE)
    throw EXMLDocError("Element does not contain a single text node");
  return NonEmpty(std::string(View(only->content)));
}

TVariant IXMLNode::Attributes(std::string_view name) const {
  const xmlAttr* attribute = nullptr;
  if (FType == TNodeType::ntElement) attribute = FindAttribute(static_cast<xmlNode*>(FNode), name);
  if (attribute) return TVariant(AttributeValue(attribute));
  return (FDocument.Options & doAttrNull) ? TVariant() : TVariant(std::string());
}

IXMLNodeList& IXMLNode::ChildNodes() {
  if (FChildren) return *FChildren;
  FChildren = &FDocument.NewList(*this, false);
  if (FType == TNodeType::ntElement) {
    auto* element = static_cast<xmlNode*>(FNode);
    const bool keep = FDocument.FKeepWhiteSpace;
    FChildren->FNamespace = NamespaceURI();
    size_t count = 0;
    for (xmlNode* child = element->children; child; child = child->next)
      count += IsListed(child, keep);
    FChildren->FNodes.reserve(count);
    for (xmlNode* child = element->children; child; child = child->next)
      if (IsListed(child, keep))
        FChildren->FNodes.push_back(&FDocument.Wrap(child, TypeOf(child->type)));
  }
  return *FChildren;
}

IXMLNodeList& IXMLNode::AttributeNodes() {
  if (FAttributes) return *FAttributes;
  FAttributes = &FDocument.NewList(*this, true);
  if (FType != TNodeType::ntElement) return *FAttributes;
  xmlAttr* first = static_cast<xmlNode*>(FNode)->properties;
  size_t count = 0;
  for (xmlAttr* attribute = first; attribute; attribute = attribute->next) ++count;
  FAttributes->FNodes.reserve(count);
  for (xmlAttr* attribute = first; attribute; attribute = attribute->next)
    FAttributes->FNodes.push_back(&FDocument.Wrap(attribute, TNodeType::ntAttribute));
  return *FAttributes;
}

IXMLNode* IXMLNode::AppendChild(void* child) {
  auto* added = xmlAddChild(static_cast<xmlNode*>(FNode), static_cast<xmlNode*>(child));
  if (!added) throw EXMLDocError("Could not add a node to \"" + *FName + "\"");
  // A text child may have merged into a text node already there.
  if (added != child || !IsListed(added, FDocument.FKeepWhiteSpace)) return nullptr;
  IXMLNode& wrapper = FDocument.Wrap(added, TypeOf(added->type));
  if (FChildren) FChildren->FNodes.push_back(&wrapper);
  return &wrapper;
}

IXMLNodeList::IXMLNodeList(IXMLNode& owner, bool attributes)
    : FOwner(owner), FAttributes(attributes) {}

IXMLNode& IXMLNodeList::Nodes(int index) const {
  if (index < 0 || index >= Count())
    throw EXMLDocError("List index out of bounds (" + std::to_string(index) + ")");
  return *FNodes[static_cast<size_t>(index)];
}

IXMLNode& IXMLNodeList::Nodes(std::string_view name) {
  if (IXMLNode* found = FindNode(name)) return *found;
  const std::string text(name);
  if (!(FOwner.FDocument.Options & doNodeAutoCreate) || name.empty())
    throw EXMLDocError("Node \"" + text + "\" not found");
  if (FOwner.FType != TNodeType::ntElement)
    throw EXMLDocError("Node \"" + text + "\" cannot be added to \"" + *FOwner.FName + "\"");
  auto* owner = static_cast<xmlNode*>(FOwner.FNode);
  IXMLNode* created = nullptr;
  if (FAttributes) {
    xmlAttr* attribute = xmlNewProp(owner, XmlChars(text.c_str()), nullptr);
    if (!attribute) throw EXMLDocError("Could not add the attribute \"" + text + "\"");
    created = &FOwner.FDocument.Wrap(attribute, TNodeType::ntAttribute);
    FNodes.push_back(created);
  } else {
    // The new element takes the list's namespace so that it is found again by name.
    xmlNode* element = xmlNewDocNode(owner->doc, owner->ns, XmlChars(text.c_str()), nullptr);
    if (!element) throw EXMLDocError("Could not add the element \"" + text + "\"");
    created = FOwner.AppendChild(element);
  }
  created->SetName(FOwner.FDocument.KeepName(text));
  return *created;
}

IXMLNode* IXMLNodeList::FindNode(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (IXMLNode* node : FNodes)
    if (Matches(*node, name)) return node;
  return nullptr;
}

bool IXMLNodeList::Matches(const IXMLNode& node, std::string_view name) const {
  if (*node.FName != name && node.LocalName() != name) return false;
  return FNamespace.empty() || EqualsIgnoreCase(FNamespace, node.NamespaceURI());
}

TXMLDocument::TXMLDocument() = default;

TXMLDocument::~TXMLDocument() {
  Clear();
}

void TXMLDocument::SetActive(bool active) {
  if (!active) Clear();
  FActive = active;
}

void TXMLDocument::LoadFromFile(const std::string& name) {
  if (name.empty()) throw EXMLDocError("FileName cannot be blank");
  Clear();
  FActive = true;
  FKeepWhiteSpace = ParseOptions & poPreserveWhiteSpace;
  TPushParser parser(name, FKeepWhiteSpace);
  TFeedFetcher(FetchOptions)
      .Fetch(
          name, [&parser](const char* data, size_t size) { parser.Push(data, size); }, OnProgress);
  Adopt(parser.Finish());
}

void TXMLDocument::LoadFromData(const char* data, size_t size, const std::string& name) {
  Clear();
  FActive = true;
  FKeepWhiteSpace = ParseOptions & poPreserveWhiteSpace;
  TPushParser parser(name, FKeepWhiteSpace);
  parser.Push(data, size);
  Adopt(parser.Finish());
}

IXMLNode& TXMLDocument::DocumentElement() {
  if (!FRoot) throw EXMLDocError("No XML document is loaded");
  return *FRoot;
}

void TXMLDocument::Clear() {
  FRoot = nullptr;
  FArena.reset();
  if (FDoc) xmlFreeDoc(FDoc);
  FDoc = nullptr;
}

void TXMLDocument::Adopt(_xmlDoc* doc) {
  Clear();
  FDoc = doc;
  FArena = std::make_unique<TArena>();
  FRoot = &Wrap(xmlDocGetRootElement(doc), TNodeType::ntElement);
}

IXMLNode& TXMLDocument::Wrap(void* node, TNodeType type) {
  // Each libxml2 node carries its wrapper, so a node is wrapped once however it is reached.
  void*& slot = type == TNodeType::ntAttribute ? static_cast<xmlAttr*>(node)->_private
                                               : static_cast<xmlNode*>(node)->_private;
  if (slot) return *static_cast<IXMLNode*>(slot);
  const std::string& name = NameOf(node, type);
  auto* wrapper = new (FArena->Nodes.Slot()) IXMLNode(*this, node, type, name);
  slot = wrapper;
  return *wrapper;
}

IXMLNodeList& TXMLDocument::NewList(IXMLNode& owner, bool attributes) {
  return *new (FArena->Lists.Slot()) IXMLNodeList(owner, attributes);
}

const std::string& TXMLDocument::NameOf(const void* node, TNodeType type) {
  const xmlNs* ns = nullptr;
  const xmlChar* name = nullptr;
  switch (type) {
    case TNodeType::ntText:
      return kTextName;
    case TNodeType::ntCData:
      return kCDataName;
    case TNodeType::ntComment:
      return kCommentName;
    case TNodeType::ntAttribute:
      ns = static_cast<const xmlAttr*>(node)->ns;
      name = static_cast<const xmlAttr*>(node)->name;
      break;
    case TNodeType::ntElement:
      ns = static_cast<const xmlNode*>(node)->ns;
      [[fallthrough]];
    default:
      name = static_cast<const xmlNode*>(node)->name;
  }
  const TNameKey key{ns ? ns->prefix : nullptr, name};
  auto found = FArena->Names.find(key);
  if (found != FArena->Names.end()) return *found->second;
  const std::string& kept = KeepName(QualifiedName(ns, name));
  FArena->Names.emplace(key, &kept);
  return kept;
}

const std::string& TXMLDocument::KeepName(std::string_view name) {
  return FArena->NameTexts.emplace_back(name);
}

}  // namespace vantle
