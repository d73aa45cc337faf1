#include "XMLDocument.h"

#include <libxml/HTMLparser.h>
#include <libxml/SAX2.h>
#include <libxml/encoding.h>
#include <libxml/entities.h>
#include <libxml/globals.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <type_traits>
#include <unordered_map>

#include "DocumentEncoding.h"

namespace vantle {

namespace {

constexpr size_t kPushChunk = 256 * 1024;
// As deep as libxml2's own tree builder lets a document nest without its "huge" option.
constexpr size_t kMaxDepth = 256;
// Entity references may add this much beside ten times the document's own size.
constexpr size_t kExpansionAllowance = 1024 * 1024;
constexpr size_t kExpansionFactor = 10;
// What a node made inside an entity counts towards the expansion limit, in bytes.
constexpr size_t kNodeCost = sizeof(IXMLNode);

const char* Chars(const xmlChar* text) {
  return reinterpret_cast<const char*>(text);
}

std::string_view View(const xmlChar* text) {
  return text ? std::string_view(Chars(text)) : std::string_view();
}

// No DTD, entity or other resource is ever read from outside the document.
xmlParserInputPtr RefuseExternalEntity(const char*, const char*, xmlParserCtxtPtr) {
  return nullptr;
}

void IgnoreGenericError(void*, const char*, ...) {}

bool IsParserFault(int code) {
  return code == XML_ERR_NO_MEMORY || code == XML_ERR_INTERNAL_ERROR;
}

// Set when libxml2 fails for want of memory where no parser context hears of it (in its
// buffers and dictionaries), which leaves the parse cut short without an error.
thread_local bool UnboundFault = false;

void NoteUnboundError(void*, xmlErrorPtr error) {
  if (error && (IsParserFault(error->code) || error->domain == XML_FROM_MEMORY))
    UnboundFault = true;
}

int DecodeWindows1252(unsigned char* out, int* outSize, const unsigned char* in, int* inSize) {
  size_t read = static_cast<size_t>(*inSize);
  *outSize = static_cast<int>(Windows1252ToUtf8(in, read, out, static_cast<size_t>(*outSize)));
  *inSize = static_cast<int>(read);
  return *outSize;
}

xmlCharEncodingHandlerPtr Windows1252Handler = nullptr;

void PrepareLibxml() {
  static std::once_flag once;
  std::call_once(once, [] {
    xmlInitParser();
    xmlSetExternalEntityLoader(RefuseExternalEntity);
    xmlThrDefSetGenericErrorFunc(nullptr, IgnoreGenericError);
    // libxml2's own Windows-1252 (through iconv) refuses the five bytes the code page
    // leaves undefined, which browsers read as C1 controls.
    Windows1252Handler =
        xmlNewCharEncodingHandler("VANTLE-WINDOWS-1252", DecodeWindows1252, nullptr);
  });
  // The generic handler is per thread; errors without a parser context land there.
  xmlSetGenericErrorFunc(nullptr, IgnoreGenericError);
  xmlSetStructuredErrorFunc(nullptr, NoteUnboundError);
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

bool IsBlank(std::string_view text) {
  return std::all_of(text.begin(), text.end(), IsXmlSpace);
}

// The UTF-8 byte-order mark, before which nothing may stand.
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

TVariant NonEmpty(std::string_view text) {
  return text.empty() ? TVariant() : TVariant(std::string(text));
}

// The decoder of a named encoding; nullptr when libxml2 has none.
xmlCharEncodingHandlerPtr DecoderOf(const std::string& name) {
  if (name == kWindows1252) return Windows1252Handler;
  return xmlFindCharEncodingHandler(name.c_str());
}

// The message of a parse that broke down for want of memory or inside the parser, which
// says nothing about the document.
std::string ParserFailed(const std::string& source, const std::string& reason) {
  return source + ": the XML parser failed: " + reason;
}

// The message of a document that is not well-formed, with the place where that shows.
std::string NotWellFormed(const std::string& source, int line, int column,
                          const std::string& reason) {
  return source + ": not well-formed (line " + std::to_string(line) + ", column " +
         std::to_string(column) + "): " + reason;
}

// libxml2's message on one line, without its final line break.
std::string Trimmed(const char* message) {
  std::string text = message ? message : "";
  std::replace(text.begin(), text.end(), '\n', ' ');
  while (!text.empty() && (text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}

TNodeName MakeName(std::string text, TNodeType type, const std::string* ns,
                   TXMLDocument& document) {
  const size_t colon = text.find(':');
  const auto localStart = static_cast<uint32_t>(colon == std::string::npos ? 0 : colon + 1);
  return TNodeName{std::move(text), localStart, type, ns, &document};
}

// Objects of one type kept in blocks and destroyed together, so that the many small
// nodes of a document cost no allocation each. Blocks double in size up to a cap, so a
// small document takes little room and a large one few allocations.
template <typename T>
class TPool {
 public:
  TPool() = default;
  TPool(const TPool&) = delete;
  TPool& operator=(const TPool&) = delete;
  ~TPool() {
    if constexpr (!std::is_trivially_destructible_v<T>) {
      for (size_t b = 0; b < FBlocks.size(); ++b) {
        const size_t used = b + 1 == FBlocks.size() ? FUsed : FBlocks[b].Capacity;
        for (size_t i = 0; i < used; ++i) std::destroy_at(FBlocks[b].At(i));
      }
    }
  }

  // Room for one more object, which the caller must construct at once.
  void* Slot() {
    if (FBlocks.empty() || FUsed == FBlocks.back().Capacity) {
      const size_t capacity =
          FBlocks.empty() ? kFirstBlock : std::min(2 * FBlocks.back().Capacity, kLastBlock);
      FBlocks.push_back(
          {std::make_unique_for_overwrite<std::byte[]>(capacity * sizeof(T)), capacity});
      FUsed = 0;
    }
    return FBlocks.back().Bytes.get() + sizeof(T) * FUsed++;
  }

 private:
  static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);
  static constexpr size_t kFirstBlock = 32;
  static constexpr size_t kLastBlock = 1024;
  struct TBlock {
    std::unique_ptr<std::byte[]> Bytes;
    size_t Capacity;
    T* At(size_t i) { return std::launder(reinterpret_cast<T*>(Bytes.get() + sizeof(T) * i)); }
  };
  std::vector<TBlock> FBlocks;
  size_t FUsed = 0;
};

// The character data of a document, in blocks that double in size up to a cap. A run of
// text grows at the end of the current block and moves to a fresh block when it outgrows
// it, so a closed run never moves.
class TTextStore {
 public:
  // Starts a run at the end of the store.
  void Open() { FRunStart = FUsed; }
  // Adds `size` bytes to the open run.
  void Append(const char* data, size_t size) {
    if (size == 0) return;  // an empty text may have no storage at all
    if (size > FCapacity - FUsed) Grow(size);
    std::memcpy(FBlock + FUsed, data, size);
    FUsed += size;
  }
  // The open run, which stays where it is from now on.
  std::string_view Close() const { return {FBlock + FRunStart, FUsed - FRunStart}; }
  // Forgets the open run and gives its room back.
  void Discard() { FUsed = FRunStart; }
  // Keeps `text` as a run of its own.
  std::string_view Keep(std::string_view text) {
    Open();
    Append(text.data(), text.size());
    return Close();
  }

 private:
  static constexpr size_t kFirstBlock = 4 * 1024;
  static constexpr size_t kLastBlock = 64 * 1024;

  void Grow(size_t more) {
    const size_t run = FUsed - FRunStart;
    const size_t next = FCapacity == 0 ? kFirstBlock : std::min(2 * FCapacity, kLastBlock);
    const size_t capacity = std::max(next, 2 * (run + more));
    auto block = std::make_unique_for_overwrite<char[]>(capacity);
    if (run > 0) std::memcpy(block.get(), FBlock + FRunStart, run);
    // A block that holds nothing but the moving run is not needed any more.
    if (FRunStart == 0 && !FBlocks.empty())
      FBlocks.back() = std::move(block);
    else
      FBlocks.push_back(std::move(block));
    FBlock = FBlocks.back().get();
    FCapacity = capacity;
    FRunStart = 0;
    FUsed = run;
  }

  std::vector<std::unique_ptr<char[]>> FBlocks;
  char* FBlock = nullptr;
  size_t FCapacity = 0;
  size_t FUsed = 0;
  size_t FRunStart = 0;
};

// libxml2 interns names, so a prefix and a name pointer identify a qualified name for the
// whole parse.
struct TNameKey {
  TNodeType Type;
  const xmlChar* Prefix;
  const xmlChar* Name;
  const std::string* Namespace;
  bool operator==(const TNameKey&) const = default;
};

struct TNameKeyHash {
  size_t operator()(const TNameKey& key) const {
    const std::hash<const void*> hash;
    return ((hash(key.Prefix) * 31 + hash(key.Name)) * 31 + hash(key.Namespace)) * 31 +
           static_cast<size_t>(key.Type);
  }
};

}  // namespace

struct IXMLNode::TLists {
  explicit TLists(IXMLNode& owner) : Children(owner, false), Attributes(owner, true) {}
  IXMLNodeList Children;
  IXMLNodeList Attributes;
};

struct TXMLDocument::TArena {
  explicit TArena(TXMLDocument& document)
      : TextName(MakeName("#text", TNodeType::ntText, nullptr, document)),
        CDataName(MakeName("#cdata-section", TNodeType::ntCData, nullptr, document)),
        CommentName(MakeName("#comment", TNodeType::ntComment, nullptr, document)) {}

  const TNodeName TextName;
  const TNodeName CDataName;
  const TNodeName CommentName;
  TPool<IXMLNode> Nodes;
  TPool<IXMLNode::TLists> Lists;
  TTextStore Texts;
  std::deque<TNodeName> Names;
  std::deque<std::string> Namespaces;
};

// Builds the document's tree from libxml2's SAX2 events while the bytes are pushed in as
// they arrive, so the text is never held whole beside the tree and libxml2 builds no tree
// of its own. Whitespace-only text is dropped as it ends unless it is to be preserved.
class TXMLDocument::TBuilder {
 public:
  TBuilder(TXMLDocument& document, TArena& arena, std::string source)
      : FDocument(document),
        FArena(arena),
        FSource(std::move(source)),
        FKeepWhiteSpace(document.ParseOptions & poPreserveWhiteSpace),
        FTolerant(document.Tolerant),
        FSkipLeadingSpace(document.Tolerant) {
    PrepareLibxml();
    UnboundFault = false;
  }
  TBuilder(const TBuilder&) = delete;
  TBuilder& operator=(const TBuilder&) = delete;
  ~TBuilder() {
    if (!FContext) return;
    if (FContext->myDoc) xmlFreeDoc(FContext->myDoc);
    xmlFreeParserCtxt(FContext);
  }

  // The charset the document was served with (from its Content-Type); before any Push.
  void SetCharset(std::string charset) { FCharset = std::move(charset); }

  // Parses the next bytes; raises as soon as the document is known not to be well-formed.
  // The start is held back until it tells the encoding.
  void Push(const char* data, size_t size) {
    if (FSkipLeadingSpace) SkipLeadingSpace(data, size);
    if (!FContext) {
      const size_t take = std::min(size, kEncodingHeadSize - FHead.size());
      FHead.append(data, take);
      data += take;
      size -= take;
      if (!HeadDecidesEncoding(FHead)) return;
      Start();
    }
    Parse(data, size);
  }

  // Ends the document and returns its root element.
  IXMLNode& Finish() {
    if (!FContext && FHead.empty()) throw Error("the document is empty");
    if (!FContext) Start();
    xmlParseChunk(FContext, nullptr, 0, 1);
    Check();
    if (!FRoot) throw Error("the document has no root element");
    return *FRoot;
  }

 private:
  static constexpr int kOptions =
      XML_PARSE_NONET | XML_PARSE_NOENT | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

  // An element being read and its last child so far.
  struct TOpenElement {
    IXMLNode* Element;
    IXMLNode* LastChild;
  };

  // Drops the whitespace that servers put before the XML declaration, keeping a UTF-8
  // byte-order mark in front; pieces may end anywhere, the mark included.
  void SkipLeadingSpace(const char*& data, size_t& size) {
    for (; size > 0; ++data, --size) {
      const bool inMark = FHead.size() < kUtf8Mark.size() && kUtf8Mark.starts_with(FHead);
      if (inMark && *data == kUtf8Mark[FHead.size()]) {
        FHead += *data;
      } else if (!(FHead.empty() || FHead == kUtf8Mark) || !IsXmlSpace(*data)) {
        FSkipLeadingSpace = false;
        return;
      }
    }
  }

  void Start() {
    xmlSAXHandler handler{};
    xmlSAXVersion(&handler, 2);
    // The document, its DTD and its entities stay with libxml2's own handlers.
    handler.startElementNs = &OnStartElement;
    handler.endElementNs = &OnEndElement;
    handler.characters = &OnCharacters;
    handler.ignorableWhitespace = &OnCharacters;
    handler.cdataBlock = &OnCData;
    handler.comment = &OnComment;
    handler.processingInstruction = &OnProcessingInstruction;
    handler.reference = &OnReference;
    handler.serror = &OnError;
    if (FTolerant) handler.getEntity = &OnGetEntity;
    FContext = xmlCreatePushParserCtxt(&handler, nullptr, nullptr, 0, FSource.c_str());
    if (!FContext) throw EXMLDocError(ParserFailed(FSource, "it could not be created"));
    // Entity contents are parsed in contexts of their own that inherit this pointer.
    FContext->_private = this;
    const TDocumentEncoding encoding = DecideDocumentEncoding(FHead, FCharset);
    xmlCharEncodingHandlerPtr decoder = Decoder(encoding);
    // The decision made here stands; a declaration read later must not switch it.
    const bool decided = decoder || encoding.Name == "UTF-8";
    xmlCtxtUseOptions(FContext, kOptions | (decided ? XML_PARSE_IGNORE_ENC : 0));
    if (decoder && xmlSwitchToEncoding(FContext, decoder) != 0)
      throw EXMLDocError(FSource + ": the encoding " + encoding.Name + " cannot be read");
    const std::string head = std::move(FHead);
    Parse(head.data() + encoding.MarkSize, head.size() - encoding.MarkSize);
  }

  // The decoder for `encoding`; nullptr where libxml2 reads the bytes as they are (UTF-8)
  // or follows the declaration by itself (an encoding it alone knows, EBCDIC).
  xmlCharEncodingHandlerPtr Decoder(const TDocumentEncoding& encoding) const {
    if (encoding.Name.empty() || encoding.Name == "UTF-8") return nullptr;
    if (xmlCharEncodingHandlerPtr decoder = DecoderOf(encoding.Name)) return decoder;
    // A charset nobody knows is no reason to refuse the document; a mark is.
    if (encoding.Source == TEncodingSource::esByteOrderMark)
      throw EXMLDocError(FSource + ": the encoding " + encoding.Name + " cannot be read");
    return nullptr;
  }

  void Parse(const char* data, size_t size) {
    while (size > 0) {
      const size_t piece = std::min(size, kPushChunk);
      FPushed += piece;
      xmlParseChunk(FContext, data, static_cast<int>(piece), 0);
      Check();
      data += piece;
      size -= piece;
    }
  }

  void Check() const {
    if (FFailed) throw EXMLDocError(FFailure);
    const xmlError& error = FHasFatal ? FFatal : FContext->lastError;
    const int code = FHasFatal ? FFatal.code : FContext->errNo;
    if (UnboundFault || code == XML_ERR_NO_MEMORY || FContext->errNo == XML_ERR_NO_MEMORY)
      throw EXMLDocError(ParserFailed(FSource, "out of memory"));
    if (IsParserFault(code))
      throw EXMLDocError(ParserFailed(FSource, FHasFatal ? FFatalMessage : Trimmed(error.message)));
    if (FContext->wellFormed) return;
    throw EXMLDocError(NotWellFormed(FSource, error.line, error.int2,
                                     FHasFatal ? FFatalMessage : Trimmed(error.message)));
  }

  EXMLDocError Error(const std::string& message) const {
    return EXMLDocError(FSource + ": not well-formed: " + message);
  }

  // Stops the parse where it stands with our own reason, raised by the next Check.
  void Fail(xmlParserCtxtPtr context, const std::string& message) {
    Stop(context, NotWellFormed(FSource, xmlSAX2GetLineNumber(FContext),
                                xmlSAX2GetColumnNumber(FContext), message));
  }

  void Stop(xmlParserCtxtPtr context, std::string failure) {
    FFailed = true;
    FFailure = std::move(failure);
    if (context != FContext) xmlStopParser(context);
    xmlStopParser(FContext);
  }

  // Runs one event for the builder behind `userData`. Nothing may unwind through libxml2,
  // so a failure stops the parse instead.
  template <typename TEvent>
  static void Handle(void* userData, TEvent&& event) {
    auto* context = static_cast<xmlParserCtxtPtr>(userData);
    auto* self = context ? static_cast<TBuilder*>(context->_private) : nullptr;
    if (!self || self->FFailed) return;
    try {
      event(*self, context);
    } catch (const std::bad_alloc&) {
      self->Stop(context, ParserFailed(self->FSource, "out of memory"));
    } catch (const std::exception& error) {
      self->Fail(context, error.what());
    } catch (...) {
      self->Stop(context, ParserFailed(self->FSource, "the document could not be built"));
    }
  }

  // Counts what an entity reference adds; libxml2 parses an entity's content again at
  // every reference, so the amount is bounded here.
  void CountExpansion(xmlParserCtxtPtr context, size_t bytes) {
    if (context == FContext) return;
    FExpanded += bytes;
    if (FExpanded > kExpansionAllowance + kExpansionFactor * FPushed)
      Fail(context, "entity references expand to more than ten times the document's size");
  }

  static void OnStartElement(void* userData, const xmlChar* localName, const xmlChar* prefix,
                             const xmlChar* uri, int, const xmlChar**, int attributeCount,
                             int defaultedCount, const xmlChar** attributes) {
    Handle(userData, [&](TBuilder& self, xmlParserCtxtPtr context) {
      // Attributes that only the DTD supplies are not part of the document as written.
      self.StartElement(context, localName, prefix, uri, attributes,
                        static_cast<size_t>(attributeCount - defaultedCount));
    });
  }

  static void OnEndElement(void* userData, const xmlChar*, const xmlChar*, const xmlChar*) {
    Handle(userData, [](TBuilder& self, xmlParserCtxtPtr) {
      self.EndText();
      if (!self.FOpen.empty()) self.FOpen.pop_back();
    });
  }

  static void OnCharacters(void* userData, const xmlChar* text, int size) {
    Handle(userData, [&](TBuilder& self, xmlParserCtxtPtr context) {
      self.AddText(context, TNodeType::ntText, text, static_cast<size_t>(size));
    });
  }

  static void OnCData(void* userData, const xmlChar* text, int size) {
    Handle(userData, [&](TBuilder& self, xmlParserCtxtPtr context) {
      self.AddText(context, TNodeType::ntCData, text, static_cast<size_t>(size));
    });
  }

  static void OnComment(void* userData, const xmlChar* text) {
    Handle(userData, [&](TBuilder& self, xmlParserCtxtPtr context) {
      self.AddLeaf(context, self.FArena.CommentName, View(text));
    });
  }

  static void OnProcessingInstruction(void* userData, const xmlChar* target, const xmlChar* data) {
    Handle(userData, [&](TBuilder& self, xmlParserCtxtPtr context) {
      self.AddLeaf(context, self.NameOf(TNodeType::ntProcessingInstr, nullptr, target, nullptr),
                   View(data));
    });
  }

  // libxml2 reports an entity it cannot substitute (an undeclared one in a document with
  // an external DTD) as a reference, which stays a node of its own.
  static void OnReference(void* userData, const xmlChar* name) {
    Handle(userData, [&](TBuilder& self, xmlParserCtxtPtr context) {
      self.AddLeaf(context, self.NameOf(TNodeType::ntOther, nullptr, name, nullptr), {});
    });
  }

  // An entity the document does not declare, in a document without a DTD, is looked up among
  // HTML's and declared in a subset of our own, so that libxml2 reads it as it reads any
  // internal entity, in text and in attribute values alike.
  static xmlEntityPtr OnGetEntity(void* userData, const xmlChar* name) {
    auto* context = static_cast<xmlParserCtxtPtr>(userData);
    if (xmlEntityPtr entity = xmlSAX2GetEntity(context, name)) return entity;
    auto* self = context ? static_cast<TBuilder*>(context->_private) : nullptr;
    xmlDocPtr document = context ? context->myDoc : nullptr;
    if (!self || !document || (document->intSubset && !self->FOwnSubset)) return nullptr;
    const htmlEntityDesc* html = htmlEntityLookup(name);
    if (!html) return nullptr;
    if (!document->intSubset) {
      if (!xmlCreateIntSubset(document, nullptr, nullptr, nullptr)) return nullptr;
      self->FOwnSubset = true;
    }
    xmlChar text[8] = {};
    xmlCopyCharMultiByte(text, static_cast<int>(html->value));
    return xmlAddDocEntity(document, name, XML_INTERNAL_GENERAL_ENTITY, nullptr, nullptr, text);
  }

  static void OnError(void* userData, xmlErrorPtr error) {
    auto* context = static_cast<xmlParserCtxtPtr>(userData);
    if (!context || !error || error->level != XML_ERR_FATAL) return;
    auto* self = static_cast<TBuilder*>(context->_private);
    if (!self || self->FHasFatal) return;
    self->FHasFatal = true;
    self->FFatalMessage = Trimmed(error->message);
    self->FFatal = *error;
    self->FFatal.message = nullptr;
  }

  void StartElement(xmlParserCtxtPtr context, const xmlChar* localName, const xmlChar* prefix,
                    const xmlChar* uri, const xmlChar** attributes, size_t attributeCount) {
    EndText();
    if (FOpen.size() >= kMaxDepth) {
      Fail(context, "elements nest more than " + std::to_string(kMaxDepth) + " levels deep");
      return;
    }
    CountExpansion(context, kNodeCost * (1 + attributeCount));
    if (FFailed) return;
    IXMLNode& element =
        NewNode(FArena, NameOf(TNodeType::ntElement, prefix, localName, NamespaceOf(uri)));
    IXMLNode** link = &element.FContent.Links.FirstAttribute;
    // Each attribute comes as five pointers: local name, prefix, URI, value, end of value.
    for (size_t i = 0; i < attributeCount; ++i, attributes += 5) {
      const std::string_view value(Chars(attributes[3]),
                                   static_cast<size_t>(attributes[4] - attributes[3]));
      const TNodeName& name =
          NameOf(TNodeType::ntAttribute, attributes[1], attributes[0], NamespaceOf(attributes[2]));
      IXMLNode& attribute = NewTextNode(FArena, name, value);
      *link = &attribute;
      link = &attribute.FNext;
    }
    Link(element);
    FOpen.push_back({&element, nullptr});
  }

  // Text and CDATA arrive in pieces; consecutive pieces of one kind make one node.
  void AddText(xmlParserCtxtPtr context, TNodeType type, const xmlChar* text, size_t size) {
    if (FOpen.empty()) return;
    CountExpansion(context, size);
    if (FFailed) return;
    if (FTextType != type) {
      EndText();
      FTextType = type;
      FTextBlank = true;
      FArena.Texts.Open();
    }
    const std::string_view piece(Chars(text), size);
    if (FTextBlank) FTextBlank = IsBlank(piece);
    FArena.Texts.Append(piece.data(), piece.size());
  }

  // Ends the text being gathered, if any, and links it unless it is whitespace to drop.
  void EndText() {
    if (FTextType == TNodeType::ntOther) return;
    const TNodeType type = FTextType;
    FTextType = TNodeType::ntOther;
    const std::string_view text = FArena.Texts.Close();
    if (type == TNodeType::ntText && FTextBlank && !text.empty() && !FKeepWhiteSpace) {
      FArena.Texts.Discard();
      return;
    }
    IXMLNode& node =
        NewNode(FArena, type == TNodeType::ntText ? FArena.TextName : FArena.CDataName);
    node.FContent.Text = {text.data(), text.size()};
    Link(node);
  }

  // A comment, processing instruction or reference inside the root element.
  void AddLeaf(xmlParserCtxtPtr context, const TNodeName& name, std::string_view text) {
    if (FOpen.empty()) return;
    EndText();
    CountExpansion(context, kNodeCost + text.size());
    if (FFailed) return;
    Link(NewTextNode(FArena, name, text));
  }

  // Links `node` after the last child of the open element, or makes it the root.
  void Link(IXMLNode& node) {
    if (FOpen.empty()) {
      if (!FRoot) FRoot = &node;
      return;
    }
    TOpenElement& parent = FOpen.back();
    if (parent.LastChild)
      parent.LastChild->FNext = &node;
    else
      parent.Element->FContent.Links.FirstChild = &node;
    parent.LastChild = &node;
  }

  const TNodeName& NameOf(TNodeType type, const xmlChar* prefix, const xmlChar* name,
                          const std::string* ns) {
    const TNameKey key{type, prefix, name, ns};
    auto found = FNames.find(key);
    if (found != FNames.end()) return *found->second;
    std::string text;
    if (prefix) text.append(View(prefix)).append(1, ':');
    text.append(View(name));
    const TNodeName& kept =
        FArena.Names.emplace_back(MakeName(std::move(text), type, ns, FDocument));
    FNames.emplace(key, &kept);
    return kept;
  }

  // The document's copy of a namespace URI; nullptr for none. The last one found is tried
  // first, since a feed uses few namespaces over and over.
  const std::string* NamespaceOf(const xmlChar* uri) {
    if (!uri || !*uri) return nullptr;
    const std::string_view text = View(uri);
    if (FLastNamespace && *FLastNamespace == text) return FLastNamespace;
    auto found = FNamespaces.find(text);
    if (found == FNamespaces.end()) {
      const std::string& kept = FArena.Namespaces.emplace_back(text);
      found = FNamespaces.emplace(kept, &kept).first;
    }
    FLastNamespace = found->second;
    return FLastNamespace;
  }

  TXMLDocument& FDocument;
  TArena& FArena;
  std::string FSource;
  bool FKeepWhiteSpace;
  bool FTolerant;
  bool FSkipLeadingSpace;   // until the first byte that is neither whitespace nor the mark
  bool FOwnSubset = false;  // the subset holds only the HTML entities met so far
  std::string FCharset;
  std::string FHead;  // the start of the document, until it tells the encoding
  xmlParserCtxtPtr FContext = nullptr;
  size_t FPushed = 0;    // bytes handed to the parser so far
  size_t FExpanded = 0;  // what entity references have added so far

  std::vector<TOpenElement> FOpen;
  IXMLNode* FRoot = nullptr;
  TNodeType FTextType = TNodeType::ntOther;  // the kind of text being gathered; ntOther: none
  bool FTextBlank = false;                   // whether that text is whitespace so far

  std::unordered_map<TNameKey, const TNodeName*, TNameKeyHash> FNames;
  std::unordered_map<std::string_view, const std::string*> FNamespaces;
  const std::string* FLastNamespace = nullptr;

  bool FHasFatal = false;
  xmlError FFatal{};
  std::string FFatalMessage;
  bool FFailed = false;
  std::string FFailure;
};

std::string_view IXMLNode::LocalName() const {
  const TNodeType type = NodeType();
  if (type != TNodeType::ntElement && type != TNodeType::ntAttribute) return {};
  return std::string_view(FName->Text).substr(FName->LocalStart);
}

std::string_view IXMLNode::NamespaceURI() const {
  return FName->Namespace ? std::string_view(*FName->Namespace) : std::string_view();
}

TVariant IXMLNode::NodeValue() const {
  if (!IsElement()) return NonEmpty(Text());
  const IXMLNode* only = FContent.Links.FirstChild;
  if (!only) {
    // An empty element reads as an empty text child, which it then keeps.
    TXMLDocument::TArena& arena = *Document().FArena;
    const_cast<IXMLNode*>(this)->ChildNodes().Append(
        TXMLDocument::NewTextNode(arena, arena.TextName, {}));
    return TVariant();
  }
  const TNodeType type = only->NodeType();
  if (only->FNext || (type != TNodeType::ntText && type != TNodeType::ntCData))
    throw EXMLDocError("Element does not contain a single text node");
  return NonEmpty(only->Text());
}

TVariant IXMLNode::Attributes(std::string_view name) const {
  if (IsElement()) {
    for (const IXMLNode* attribute = FContent.Links.FirstAttribute; attribute;
         attribute = attribute->FNext)
      if (attribute->NodeName() == name) return TVariant(std::string(attribute->Text()));
  }
  return (Document().Options & doAttrNull) ? TVariant() : TVariant(std::string());
}

IXMLNode::TLists& IXMLNode::Lists() {
  if (!FLists) FLists = new (Document().FArena->Lists.Slot()) TLists(*this);
  return *FLists;
}

IXMLNodeList& IXMLNode::ChildNodes() {
  return Lists().Children;
}

IXMLNodeList& IXMLNode::AttributeNodes() {
  return Lists().Attributes;
}

IXMLNode* IXMLNodeList::First() const {
  if (!FOwner.IsElement()) return nullptr;
  return FAttributes ? FOwner.FContent.Links.FirstAttribute : FOwner.FContent.Links.FirstChild;
}

void IXMLNodeList::Append(IXMLNode& node) {
  IXMLNode** link =
      FAttributes ? &FOwner.FContent.Links.FirstAttribute : &FOwner.FContent.Links.FirstChild;
  while (*link) link = &(*link)->FNext;
  *link = &node;
  if (FIndexed) FNodes.push_back(&node);
}

const std::vector<IXMLNode*>& IXMLNodeList::Index() const {
  if (FIndexed) return FNodes;
  FIndexed = true;
  size_t count = 0;
  for (const IXMLNode* node = First(); node; node = node->FNext) ++count;
  FNodes.reserve(count);
  for (IXMLNode* node = First(); node; node = node->FNext) FNodes.push_back(node);
  return FNodes;
}

IXMLNode& IXMLNodeList::Nodes(int index) const {
  if (index < 0 || index >= Count())
    throw EXMLDocError("List index out of bounds (" + std::to_string(index) + ")");
  return *Index()[static_cast<size_t>(index)];
}

IXMLNode& IXMLNodeList::Nodes(std::string_view name) {
  if (IXMLNode* found = FindNode(name)) return *found;
  const std::string text(name);
  TXMLDocument& document = FOwner.Document();
  if (!(document.Options & doNodeAutoCreate) || name.empty())
    throw EXMLDocError("Node \"" + text + "\" not found");
  if (!FOwner.IsElement())
    throw EXMLDocError("Node \"" + text + "\" cannot be added to \"" + FOwner.NodeName() + "\"");
  TXMLDocument::TArena& arena = *document.FArena;
  // A new element takes the list's namespace so that it is found again by name.
  IXMLNode& created =
      FAttributes ? TXMLDocument::NewTextNode(
                        arena, document.KeepName(text, TNodeType::ntAttribute, nullptr), {})
                  : TXMLDocument::NewNode(arena, document.KeepName(text, TNodeType::ntElement,
                                                                   FOwner.FName->Namespace));
  Append(created);
  return created;
}

IXMLNode* IXMLNodeList::FindNode(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (IXMLNode* node = First(); node; node = node->FNext)
    if (Matches(*node, name)) return node;
  return nullptr;
}

IXMLNode* IXMLNodeList::FindNextNode(std::string_view name, const IXMLNode& after) const {
  for (IXMLNode* node = after.FNext; node; node = node->FNext)
    if (Matches(*node, name)) return node;
  return nullptr;
}

bool IXMLNodeList::Matches(const IXMLNode& node, std::string_view name) const {
  if (node.NodeName() != name && node.LocalName() != name) return false;
  // A child list is in its owner's namespace; an attribute list is in none.
  const std::string* ns = FAttributes ? nullptr : FOwner.FName->Namespace;
  return !ns || node.FName->Namespace == ns || EqualsIgnoreCase(*ns, node.NamespaceURI());
}

TXMLDocument::TXMLDocument() = default;

TXMLDocument::~TXMLDocument() {
  Clear();
}

void TXMLDocument::SetActive(bool active) {
  if (!active) Clear();
  FActive = active;
}

void TXMLDocument::Load(const std::string& source, const std::function<void(TBuilder&)>& feed) {
  Clear();
  FActive = true;
  auto arena = std::make_unique<TArena>(*this);
  TBuilder builder(*this, *arena, source);
  feed(builder);
  IXMLNode& root = builder.Finish();
  // Only a document that loaded whole becomes the content; a failed load leaves none.
  FArena = std::move(arena);
  FRoot = &root;
}

void TXMLDocument::LoadFromFile(const std::string& name) {
  if (name.empty()) throw EXMLDocError("FileName cannot be blank");
  Load(name, [this, &name](TBuilder& builder) {
    TFeedFetcher(FetchOptions)
        .Fetch(
            name, [&builder](const char* data, size_t size) { builder.Push(data, size); },
            OnProgress,
            [&builder](const std::string& type) {
              builder.SetCharset(CharsetOfContentType(type));
            });
  });
}

void TXMLDocument::LoadFromData(const char* data, size_t size, const std::string& name,
                                const std::string& contentType) {
  Load(name, [&](TBuilder& builder) {
    if (!contentType.empty()) builder.SetCharset(CharsetOfContentType(contentType));
    builder.Push(data, size);
  });
}

IXMLNode& TXMLDocument::DocumentElement() {
  if (!FRoot) throw EXMLDocError("No XML document is loaded");
  return *FRoot;
}

void TXMLDocument::Clear() {
  FRoot = nullptr;
  FArena.reset();
}

IXMLNode& TXMLDocument::NewNode(TArena& arena, const TNodeName& name) {
  return *new (arena.Nodes.Slot()) IXMLNode(name);
}

IXMLNode& TXMLDocument::NewTextNode(TArena& arena, const TNodeName& name, std::string_view text) {
  IXMLNode& node = NewNode(arena, name);
  const std::string_view kept = arena.Texts.Keep(text);
  node.FContent.Text = {kept.data(), kept.size()};
  return node;
}

const TNodeName& TXMLDocument::KeepName(std::string_view name, TNodeType type,
                                        const std::string* ns) {
  return FArena->Names.emplace_back(MakeName(std::string(name), type, ns, *this));
}

}  // namespace vantle
