#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Exception.h"
#include "FeedFetcher.h"
#include "Variant.h"

namespace vantle {

// Raised by the document layer: blank file names, documents that are not well-formed,
// element content that is not one text node, missing nodes.
class EXMLDocError : public Exception {
 public:
  using Exception::Exception;
};

// Document options (a set of flags).
enum TXMLDocOption : unsigned {
  doNodeAutoCreate = 1u << 0,  // Nodes[Name] appends a missing element instead of raising
  doAttrNull = 1u << 1,        // Attributes[Name] is Null for an absent attribute
  doAutoPrefix = 1u << 2,
  doNamespaceDecl = 1u << 3,
};
using TXMLDocOptions = unsigned;

// Parse options (a set of flags). External resources are never loaded, whatever is set.
enum TParseOption : unsigned {
  poResolveExternals = 1u << 0,
  poValidateOnParse = 1u << 1,
  poPreserveWhiteSpace = 1u << 2,  // keep whitespace-only text nodes
  poAsyncLoad = 1u << 3,
};
using TParseOptions = unsigned;

// The kind of a node.
enum class TNodeType : uint8_t {
  ntElement,
  ntAttribute,
  ntText,
  ntCData,
  ntComment,
  ntProcessingInstr,
  ntOther
};

class IXMLNodeList;
class TXMLDocument;

// What nodes of one name share: the qualified name as written, the kind of node, the
// namespace and the document. Kept once per document for all the nodes that share it.
struct TNodeName {
  std::string Text;
  uint32_t LocalStart = 0;  // where the local name starts: after the first colon of a prefix
  TNodeType Type = TNodeType::ntElement;
  const std::string* Namespace = nullptr;  // kept by the document; nullptr when none
  TXMLDocument* Document = nullptr;
};

// A node of a loaded document. Owned by the document; valid until the document is
// reloaded, made inactive or destroyed.
class IXMLNode {
 public:
  IXMLNode(const IXMLNode&) = delete;
  IXMLNode& operator=(const IXMLNode&) = delete;
  ~IXMLNode() = default;

  // The kind of node.
  TNodeType NodeType() const { return FName->Type; }
  // The qualified name as written ("rdf:RDF"); "#text", "#cdata-section", "#comment" for
  // character nodes, the target for a processing instruction.
  const std::string& NodeName() const { return FName->Text; }
  // The name without its prefix; empty for character nodes.
  std::string_view LocalName() const;
  // The namespace URI of an element or attribute; empty when it has none.
  std::string_view NamespaceURI() const;
  // Element: the text of its single text or CDATA child, Null when it has no content,
  // raises "Element does not contain a single text node" for any other content.
  // Other nodes: their text. Empty text is Null.
  TVariant NodeValue() const;
  // The text of the attribute whose qualified name is `name` (possibly empty); Null when
  // absent (doAttrNull), else empty.
  TVariant Attributes(std::string_view name) const;
  // The child nodes in document order (whitespace-only text dropped unless preserved).
  IXMLNodeList& ChildNodes();
  // The attributes of an element in document order; empty for other nodes.
  IXMLNodeList& AttributeNodes();

 private:
  friend class TXMLDocument;
  friend class IXMLNodeList;

  // What an element links to: its first child and its first attribute.
  struct TLinks {
    IXMLNode* FirstChild;
    IXMLNode* FirstAttribute;
  };
  // What any other node holds: its text, kept by the document.
  struct TText {
    const char* Data;
    size_t Size;
  };

  struct TLists;

  explicit IXMLNode(const TNodeName& name) : FName(&name) {}
  bool IsElement() const { return NodeType() == TNodeType::ntElement; }
  TXMLDocument& Document() const { return *FName->Document; }
  // The node's two lists, made on first use.
  TLists& Lists();
  std::string_view Text() const { return {FContent.Text.Data, FContent.Text.Size}; }

  // A document holds many nodes, so a node keeps only what is its own.
  const TNodeName* FName;
  IXMLNode* FNext = nullptr;  // the next sibling, or the next attribute
  union {
    TLinks Links;  // elements
    TText Text;    // every other kind
  } FContent{};
  TLists* FLists = nullptr;  // the document owns them
};

// An ordered list of nodes: the children or the attributes of one node. Index access is O(1).
class IXMLNodeList {
 public:
  IXMLNodeList(const IXMLNodeList&) = delete;
  IXMLNodeList& operator=(const IXMLNodeList&) = delete;

  // The number of nodes.
  int Count() const { return static_cast<int>(Index().size()); }
  // The node at 0-based `index`; raises "List index out of bounds (%d)" outside the list.
  IXMLNode& Nodes(int index) const;
  // The same for a list that is not const, so that Nodes(0) is not taken for a name.
  IXMLNode& Nodes(int index) { return std::as_const(*this).Nodes(index); }
  // The first node matching `name`; when none matches, a new empty element (or attribute)
  // of that name is appended and returned (doNodeAutoCreate), else EXMLDocError.
  IXMLNode& Nodes(std::string_view name);
  // The first node matching `name`, or nullptr. A node matches when its qualified or local
  // name equals `name` and the list's namespace is empty or equals the node's (without case).
  IXMLNode* FindNode(std::string_view name) const;
  // The first node matching `name` that follows `after` in this list, or nullptr.
  IXMLNode* FindNextNode(std::string_view name, const IXMLNode& after) const;

 private:
  friend class IXMLNode;
  friend class TXMLDocument;
  IXMLNodeList(IXMLNode& owner, bool attributes) : FOwner(owner), FAttributes(attributes) {}
  // The first node of the owner's chain of children or attributes.
  IXMLNode* First() const;
  // Links `node` at the end of the chain of an element, and of the index when there is one.
  void Append(IXMLNode& node);
  // The nodes by position, gathered from the chain the first time a position is asked for;
  // lookups by name walk the chain and need no index.
  const std::vector<IXMLNode*>& Index() const;
  bool Matches(const IXMLNode& node, std::string_view name) const;

  IXMLNode& FOwner;
  bool FAttributes;
  mutable bool FIndexed = false;
  mutable std::vector<IXMLNode*> FNodes;
};

// An XML document that fetches and parses a link, the file or web address it names.
// Parsing never loads a DTD or an external entity and bounds entity expansion and nesting.
class TXMLDocument {
 public:
  TXMLDocument();
  TXMLDocument(const TXMLDocument&) = delete;
  TXMLDocument& operator=(const TXMLDocument&) = delete;
  ~TXMLDocument();

  std::string DOMVendor = "libxml2";
  TXMLDocOptions Options = doNodeAutoCreate | doAttrNull | doAutoPrefix | doNamespaceDecl;
  TParseOptions ParseOptions = 0;
  TFetchOptions FetchOptions;
  TProgressCallback OnProgress;  // called while a link is fetched
  // Reads around two faults common in served feeds: whitespace before the XML declaration
  // is skipped, and HTML's named entities in a document without a DTD read as their characters.
  bool Tolerant = false;

  // Whether the document is active; making it inactive discards the content.
  bool Active() const { return FActive; }
  void SetActive(bool active);

  // Fetches and parses `name` (a web address, a file:// URL or a file path), replacing the
  // content. Raises "FileName cannot be blank" for an empty name, EFetchError when the link
  // cannot be fetched and EXMLDocError when the document is not well-formed. The encoding is
  // that of a byte-order mark, else the XML declaration, else the charset the document was
  // served with, else UTF-8; ISO-8859-1 and US-ASCII read as Windows-1252.
  void LoadFromFile(const std::string& name);
  // Parses `size` bytes at `data` as a document, replacing the content; `name` names the
  // source in error messages. `contentType`, when given, is the type the bytes were served
  // with, whose charset counts as LoadFromFile counts it.
  void LoadFromData(const char* data, size_t size, const std::string& name = "data",
                    const std::string& contentType = {});

  // True when a document is loaded.
  bool IsLoaded() const { return FRoot != nullptr; }
  // The root element; raises EXMLDocError when no document is loaded.
  IXMLNode& DocumentElement();

 private:
  friend class IXMLNode;
  friend class IXMLNodeList;
  class TBuilder;
  struct TArena;

  void Clear();
  // Replaces the content with the document that `feed` pushes into a new builder.
  void Load(const std::string& source, const std::function<void(TBuilder&)>& feed);
  static IXMLNode& NewNode(TArena& arena, const TNodeName& name);
  static IXMLNode& NewTextNode(TArena& arena, const TNodeName& name, std::string_view text);
  // A name for nodes made after the load, such as missing elements created on lookup.
  const TNodeName& KeepName(std::string_view name, TNodeType type, const std::string* ns);

  bool FActive = false;
  std::unique_ptr<TArena> FArena;  // every node, list, name and text of the document
  IXMLNode* FRoot = nullptr;
};

}  // namespace vantle
