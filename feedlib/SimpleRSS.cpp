#include "SimpleRSS.h"

#include "AsciiText.h"
#include "SimpleParserAtom.h"
#include "SimpleParserRDF.h"
#include "SimpleParserRSS.h"
#include "SimpleRSSConst.h"

namespace vantle {

namespace {

std::unique_ptr<TSimpleParserBase> MakeParser(TXMLType type, TSimpleRSS& rss) {
  switch (type) {
    case xtRSS:
      return std::make_unique<TSimpleParserRSS>(rss);
    case xtAtom:
      return std::make_unique<TSimpleParserAtom>(rss);
    case xtRDF:
      break;
  }
  return std::make_unique<TSimpleParserRDF>(rss);
}

// A new active document with the reader's settings.
std::unique_ptr<TXMLDocument> NewDocument(const TXMLFileOptions& options,
                                          const TProgressCallback& progress, bool tolerant) {
  auto document = std::make_unique<TXMLDocument>();
  document->DOMVendor = options.DOMVendor;
  document->Options = options.Options;
  document->ParseOptions = options.ParseOptions;
  document->FetchOptions = options.FetchOptions;
  document->OnProgress = progress;
  document->Tolerant = tolerant;
  document->SetActive(true);
  return document;
}

// The root's attribute of exactly this name, present even when empty.
const IXMLNode* ExactAttribute(IXMLNode& element, std::string_view name) {
  IXMLNodeList& attributes = element.AttributeNodes();
  for (int i = 0; i < attributes.Count(); ++i)
    if (attributes.Nodes(i).NodeName() == name) return &attributes.Nodes(i);
  return nullptr;
}

}  // namespace

TSimpleRSS::TSimpleRSS()
    : FChannel(std::make_unique<TRSSChannel>()),
      FItems(std::make_unique<TRSSItems>()),
      FVersion(sDefaultVersion),
      FXMLFile(NewDocument(XMLFileOptions, OnProgress, Tolerant)) {}

TSimpleRSS::~TSimpleRSS() {
  FItems.reset();
  FChannel.reset();
}

void TSimpleRSS::LoadFromLink(const std::string& link) {
  RenewXMLFile();
  FXMLFile->LoadFromFile(link);
  ParseXMLFile();
}

void TSimpleRSS::LoadFromDocument(const std::string& link, std::string_view document,
                                  const std::string& contentType) {
  RenewXMLFile();
  FXMLFile->LoadFromData(document.data(), document.size(), link, contentType);
  ParseXMLFile();
}

void TSimpleRSS::RenewXMLFile() {
  FXMLFile->SetActive(false);
  FXMLFile.reset();
  FXMLFile = NewDocument(XMLFileOptions, OnProgress, Tolerant);
}

std::optional<TXMLType> TSimpleRSS::FormatOfRoot(std::string_view rootName) {
  const std::string name = AsciiLower(rootName);
  if (name == sRDF) return xtRDF;
  if (name == sRSS) return xtRSS;
  if (name == sFeed) return xtAtom;
  return std::nullopt;
}

void TSimpleRSS::ParseXMLFile() {
  FChannel = std::make_unique<TRSSChannel>();
  FItems = std::make_unique<TRSSItems>();

  IXMLNode& root = FXMLFile->DocumentElement();
  const std::optional<TXMLType> format = FormatOfRoot(root.NodeName());
  if (!format) throw TSimpleRSSException(std::string(sUnknownFormat) + ": " + root.NodeName());
  FXMLType = *format;

  if (const IXMLNode* version = ExactAttribute(root, sVersion))
    FVersion = version->NodeValue().StringOr("");

  MakeParser(FXMLType, *this)->Run();
}

}  // namespace vantle
