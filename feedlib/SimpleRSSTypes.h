#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "RFC822DateTime.h"

namespace vantle {

// The languages of LanguageCodes, 0..95, and langX for a code outside the table.
// clang-format off
enum TLanguages : uint8_t {
  langAF, langSQ, langEU, langBE, langBG, langCA, langZH_CN, langZH_TW, langHR, langCS,
  langDA, langNL, langNL_BE, langNL_NL, langEN, langEN_AU, langEN_BZ, langEN_CA, langEN_IE,
  langEN_JM, langEN_NZ, langEN_PH, langEN_ZA, langEN_TT, langEN_GB, langEN_US, langEN_ZW,
  langET, langFO, langFI, langFR, langFR_BE, langFR_CA, langFR_FR, langFR_LU, langFR_MC,
  langFR_CH, langGL, langGD, langDE, langDE_AT, langDE_DE, langDE_LI, langDE_LU, langDE_CH,
  langEL, langHAW, langHU, langIS, langIN, langGA, langIT, langIT_IT, langIT_CH, langJA,
  langKO, langMK, langNO, langPL, langPT, langPT_BR, langPT_PT, langRO, langRO_MO, langRO_RP,
  langRU, langRU_MO, langRU_RU, langSR, langSK, langSL, langES, langES_AR, langES_BO,
  langES_CL, langES_CO, langES_CR, langES_DO, langES_EC, langES_SV, langES_GT, langES_HN,
  langES_MX, langES_NI, langES_PA, langES_PY, langES_PE, langES_PR, langES_ES, langES_UY,
  langES_VE, langSV, langSV_FI, langSV_SE, langTR, langUK, langX
};
// clang-format on

enum TContentType : uint8_t { ctText, ctHTML, ctXHTML };

// The detected feed format.
enum TXMLType : uint8_t { xtRDF, xtRSS, xtAtom };

// An ordered collection that owns its items; references to items stay valid until it dies.
template <typename TItem>
class TOwnedCollection {
 public:
  TOwnedCollection() = default;
  TOwnedCollection(const TOwnedCollection&) = delete;
  TOwnedCollection& operator=(const TOwnedCollection&) = delete;

  // Appends a new item with all defaults and returns it.
  TItem& Add() { return *FItems.emplace_back(std::make_unique<TItem>()); }
  // The number of items.
  int Count() const { return static_cast<int>(FItems.size()); }
  // The item at 0-based `index` (unchecked outside 0..Count()-1).
  TItem& Items(int index) { return *FItems[static_cast<size_t>(index)]; }
  const TItem& Items(int index) const { return *FItems[static_cast<size_t>(index)]; }

 private:
  // Items live apart so that references survive growth; an empty collection allocates nothing.
  std::vector<std::unique_ptr<TItem>> FItems;
};

// Returns `text` when it holds more than blanks and control characters, else `placeholder`.
const std::string& RequiredText(const std::string& text, const std::string& placeholder);

// The three channel elements RSS requires; blank ones read as placeholders.
class TRSSChannelReq {
 public:
  // The stored title, or "Title Required" when blank.
  const std::string& Title() const;
  // The stored link, or "Link Required" when blank.
  const std::string& Link() const;
  // The stored description, or "Description Required" when blank.
  const std::string& Desc() const;
  void SetTitle(std::string value) { FTitle = std::move(value); }
  void SetLink(std::string value) { FLink = std::move(value); }
  void SetDesc(std::string value) { FDesc = std::move(value); }
  // The stored texts, without placeholders.
  const std::string& StoredTitle() const { return FTitle; }
  const std::string& StoredLink() const { return FLink; }
  const std::string& StoredDesc() const { return FDesc; }

 private:
  std::string FTitle, FLink, FDesc;
};

struct TRSSChannelCategory {
  std::string Category;
  std::string Domain;
};
using TRSSChannelCategories = TOwnedCollection<TRSSChannelCategory>;

class TRSSCloud {
 public:
  std::string Domain;
  std::string Path;
  std::string RegisterProcedure;
  std::string Protocol;
  bool Include = false;
  int32_t Port() const { return FPort; }
  // Stores values below 1 as 1.
  void SetPort(int32_t value) { FPort = value < 1 ? 1 : value; }

 private:
  int32_t FPort = 0;
};

class TRSSImageReq {
 public:
  // The stored text, or "URL Required" when blank.
  const std::string& URL() const;
  // The stored text, or "Title Required" when blank.
  const std::string& Title() const;
  // The stored text, or "Link Required" when blank.
  const std::string& Link() const;
  void SetURL(std::string value) { FURL = std::move(value); }
  void SetTitle(std::string value) { FTitle = std::move(value); }
  void SetLink(std::string value) { FLink = std::move(value); }
  const std::string& StoredURL() const { return FURL; }
  const std::string& StoredTitle() const { return FTitle; }
  const std::string& StoredLink() const { return FLink; }

 private:
  std::string FURL, FTitle, FLink;
};

class TRSSImageOpt {
 public:
  std::string Description;
  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  // Clamps to 0..144.
  void SetWidth(int32_t value);
  // Clamps to 0..400.
  void SetHeight(int32_t value);

 private:
  int32_t FWidth = 0;
  int32_t FHeight = 0;
};

struct TRSSImage {
  bool Include = false;
  TRSSImageReq Required;
  TRSSImageOpt Optional;
};

struct TRSSTextInput {
  std::string Title;
  std::string Description;
  std::string TextInputName;
  std::string Link;
  bool Include = false;
};

// Hours 0..23 of the day (declared h01..h23, h00 in the original order).
struct TRSSChannelSkipHours {
  bool h01 = false, h02 = false, h03 = false, h04 = false, h05 = false, h06 = false;
  bool h07 = false, h08 = false, h09 = false, h10 = false, h11 = false, h12 = false;
  bool h13 = false, h14 = false, h15 = false, h16 = false, h17 = false, h18 = false;
  bool h19 = false, h20 = false, h21 = false, h22 = false, h23 = false, h00 = false;
  // The flag of `hour` 0..23.
  bool& Hour(int hour);
  bool Hour(int hour) const;
};

struct TRSSChannelSkipDays {
  bool Monday = false, Tuesday = false, Wednesday = false, Thursday = false;
  bool Friday = false, Saturday = false, Sunday = false;
  // The flag of `day` 0 (Monday) .. 6 (Sunday).
  bool& Day(int day);
  bool Day(int day) const;
};

class TRSSChannelOpt {
 public:
  TRSSChannelOpt();
  TRSSChannelOpt(const TRSSChannelOpt&) = delete;
  TRSSChannelOpt& operator=(const TRSSChannelOpt&) = delete;

  TLanguages Language = langEN;
  std::string XLang;
  std::string Copyright;
  std::string ManagingEditor;
  std::string WebMaster;
  TRFC822DateTime PubDate;
  TRFC822DateTime LastBuildDate;
  TRSSChannelCategories Categories;
  std::string Generator;
  std::string Docs;
  TRSSCloud Cloud;
  TRSSImage Image;
  std::string Rating;
  TRSSTextInput TextInput;
  TRSSChannelSkipHours SkipHours;
  TRSSChannelSkipDays SkipDays;

  int32_t TTL() const { return FTTL; }
  // Stores values of 0 or less as 0.
  void SetTTL(int32_t value) { FTTL = value < 0 ? 0 : value; }

 private:
  int32_t FTTL = 60;
};

struct TRSSChannel {
  TRSSChannel() = default;
  TRSSChannel(const TRSSChannel&) = delete;
  TRSSChannel& operator=(const TRSSChannel&) = delete;
  TRSSChannelReq Required;
  TRSSChannelOpt Optional;
};

struct TRSSAuthor {
  std::string Name;
  std::string EMail;
  std::string URL;
};

struct TRSSItemCategory {
  std::string Title;
  std::string Domain;
};
using TRSSItemCategories = TOwnedCollection<TRSSItemCategory>;

struct TRSSItemEnclosure {
  std::string URL;
  int32_t Length = 0;
  std::string EnclosureType;
  bool Include = false;
};

struct TRSSItemGUID {
  std::string GUID;
  bool IsPermaLink = false;
  bool Include = false;
};

struct TRSSItemSource {
  std::string Title;
  std::string URL;
  bool Include = false;
};

struct TRSSItem {
  TRSSItem() = default;
  TRSSItem(const TRSSItem&) = delete;
  TRSSItem& operator=(const TRSSItem&) = delete;

  std::string Title;
  std::string Link;
  std::string Description;
  TRSSAuthor Author;
  TRSSItemCategories Categories;
  std::string Comments;
  TRSSItemEnclosure Enclosure;
  TRSSItemGUID GUID;
  TRFC822DateTime PubDate;
  TRSSItemSource Source;
  TContentType ContentType = ctText;
};
using TRSSItems = TOwnedCollection<TRSSItem>;

}  // namespace vantle
