#pragma once

#include <array>
#include <string_view>

namespace vantle {

// The language codes, in the order of the TLanguages enumerators 0..95.
inline constexpr std::array<std::string_view, 96> LanguageCodes = {
    "af",    "sq",    "eu",    "be",    "bg",    "ca",    "zh-cn", "zh-tw", "hr",    "cs",
    "da",    "nl",    "nl-be", "nl-nl", "en",    "en-au", "en-bz", "en-ca", "en-ie", "en-jm",
    "en-nz", "en-ph", "en-za", "en-tt", "en-gb", "en-us", "en-zw", "et",    "fo",    "fi",
    "fr",    "fr-be", "fr-ca", "fr-fr", "fr-lu", "fr-mc", "fr-ch", "gl",    "gd",    "de",
    "de-at", "de-de", "de-li", "de-lu", "de-ch", "el",    "haw",   "hu",    "is",    "in",
    "ga",    "it",    "it-it", "it-ch", "ja",    "ko",    "mk",    "no",    "pl",    "pt",
    "pt-br", "pt-pt", "ro",    "ro-mo", "ro-rp", "ru",    "ru-mo", "ru-ru", "sr",    "sk",
    "sl",    "es",    "es-ar", "es-bo", "es-cl", "es-co", "es-cr", "es-do", "es-ec", "es-sv",
    "es-gt", "es-hn", "es-mx", "es-ni", "es-pa", "es-py", "es-pe", "es-pr", "es-es", "es-uy",
    "es-ve", "sv",    "sv-fi", "sv-se", "tr",    "uk"};

// Hour texts, index = hour of the day.
inline constexpr std::array<std::string_view, 24> HourTexts = {
    "0",  "1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "10", "11",
    "12", "13", "14", "15", "16", "17", "18", "19", "20", "21", "22", "23"};
inline constexpr std::array<std::string_view, 7> DayNames = {
    "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};

inline constexpr std::string_view sDescriptionRequired = "Description Required";
inline constexpr std::string_view sLinkRequired = "Link Required";
inline constexpr std::string_view sTitleRequired = "Title Required";
inline constexpr std::string_view sURLRequired = "URL Required";

inline constexpr std::string_view sDefaultVersion = "2.0";
inline constexpr std::string_view sDefaultTimeZone = "GMT";
inline constexpr std::string_view sTrue = "true";
inline constexpr std::string_view sPathSeparator = " -> ";
inline constexpr std::string_view sDefaultDocs = "https://cyber.harvard.edu/rss/rss.html";

inline constexpr std::string_view sUnknownFormat = "unkown format";
inline constexpr std::string_view sRequiredFieldMissing = "Required Field Missing. Field: ";

// Element and attribute names.
inline constexpr std::string_view sRSS = "rss";
inline constexpr std::string_view sVersion = "version";
inline constexpr std::string_view sChannel = "channel";
inline constexpr std::string_view sItem = "item";
inline constexpr std::string_view sCategory = "category";
inline constexpr std::string_view sDomain = "domain";
inline constexpr std::string_view sTitle = "title";
inline constexpr std::string_view sDescription = "description";
inline constexpr std::string_view sLink = "link";
inline constexpr std::string_view sAuthor = "author";
inline constexpr std::string_view sComments = "comments";
inline constexpr std::string_view sEnclosure = "enclosure";
inline constexpr std::string_view sURL = "url";
inline constexpr std::string_view sType = "type";
inline constexpr std::string_view sLength = "length";
inline constexpr std::string_view sGUID = "guid";
inline constexpr std::string_view sIsPermaLink = "isPermaLink";
inline constexpr std::string_view sPubDate = "pubDate";
inline constexpr std::string_view sSource = "source";
inline constexpr std::string_view sLanguage = "language";
inline constexpr std::string_view sCopyright = "copyright";
inline constexpr std::string_view sManagingEditor = "managingEditor";
inline constexpr std::string_view sWebMaster = "webMaster";
inline constexpr std::string_view sLastBuildDate = "lastBuildDate";
inline constexpr std::string_view sGenerator = "generator";
inline constexpr std::string_view sDocs = "docs";
inline constexpr std::string_view sCloud = "cloud";
inline constexpr std::string_view sPort = "port";
inline constexpr std::string_view sRegisterProcedure = "registerProcedure";
inline constexpr std::string_view sProtocol = "protocol";
inline constexpr std::string_view sTTL = "ttl";
inline constexpr std::string_view sImage = "image";
inline constexpr std::string_view sWidth = "width";
inline constexpr std::string_view sHeight = "height";
inline constexpr std::string_view sRating = "rating";
inline constexpr std::string_view sPath = "path";
inline constexpr std::string_view sSkipDays = "skipDays";
inline constexpr std::string_view sSkipHours = "skipHours";
inline constexpr std::string_view sTextInput = "textInput";
inline constexpr std::string_view sName = "name";
inline constexpr std::string_view sRDF = "rdf:rdf";
inline constexpr std::string_view sFeed = "feed";
inline constexpr std::string_view sEntry = "entry";
inline constexpr std::string_view sContent = "content";
inline constexpr std::string_view sContentEncoded = "content:encoded";
inline constexpr std::string_view sTagline = "tagline";
inline constexpr std::string_view sModified = "modified";
inline constexpr std::string_view sEmail = "email";
inline constexpr std::string_view sID = "id";
inline constexpr std::string_view sHead = "head";
inline constexpr std::string_view sHref = "href";
inline constexpr std::string_view sMode = "mode";
inline constexpr std::string_view sBase64 = "base64";

}  // namespace vantle
