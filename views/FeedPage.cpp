#include "FeedPage.h"

#include <string_view>

#include "SimpleRSS.h"

namespace vantle {

namespace {

constexpr std::string_view StyleOpening = R"(<style>body  { margin: 0px; padding: 10px;})";

constexpr std::string_view NewsPaperFeedRules =
    R"(div.feedtitle { font-family: Georgia, "Times New Roman", serif;font-size: 24px;)"
    R"(font-weight: bold;margin-left: 10px; })"
    R"(div.feeddescription { font-family: Georgia, "Times New Roman", serif;font-size: 16px;)"
    R"(font-style: italic;margin-left: 10px; })";

constexpr std::string_view ListFeedRules =
    R"(div.feedtitle { font-family: Georgia, "Arial", serif;font-size: 24px;)"
    R"(font-weight: bold;margin-left: 10px; })"
    R"(div.feeddescription { font-family: Georgia, "Arial", serif;font-size: 16px;)"
    R"(margin-left: 10px; })";

constexpr std::string_view ItemRules =
    R"(div.feedimage { margin: 10px;align: right; })"
    R"(div.itemtitle { font-family: Arial, sans-serif;font-size: 17px;font-weight: bold;)"
    R"(margin-left: 10px;clear: both;color: black;})"
    R"(div.noline { text-decoration: none })"
    R"(div.itemdescription { font-family: Tahoma, Verdana, Arial, sans-serif;font-size: 14px;)"
    R"(line-height: 16px;color: #333;clear: both;margin-top: 20px;margin-left: 10px;)"
    R"(margin-bottom: 10px;  })"
    R"(div.itemlink { font-family: Verdana, Arial, sans-serif;font-size: 11px;margin-left: 10px;)"
    R"(margin-top: 5px;clear: both; }</style>)";

constexpr std::string_view HeaderOpening =
    R"(<table style="WIDTH: 100%; HEIGHT: 20px"><tbody><tr><td valign="bottom" height="50">)"
    R"(<div class="feedtitle">)";
constexpr std::string_view HeaderImageOpening =
    R"(</div></td><td  valign="bottom" align="right"><img src=")";
constexpr std::string_view HeaderRule =
    R"(" align="right" /></td></tr><div></div><tr><td valign="top" colspan="2">)"
    R"(<div class="feeddescription"><hr style="WIDTH: 100%" color="black" size="4" /></div>)"
    R"(</td></tr></tbody></table>)";
constexpr std::string_view Break = "<br />";

constexpr std::string_view FooterOpening =
    R"(<div class="feeddescription"><hr style="WIDTH: 100%" color="black" size="4" />)";
constexpr std::string_view DivEnd = "</div>";

constexpr std::string_view ItemOpening =
    R"(<table style="HEIGHT: 124px" width="100%"><tbody><tr><td valign="top" width="48%" )"
    R"(height="20"><div class="itemtitle"><hr style="WIDTH: 100%" size="2" />)";
constexpr std::string_view RightTitleCell =
    R"(</div></td><td width="10"></td><td valign="top" width="48%"><div class="itemtitle">)"
    R"(<hr style="WIDTH: 100%" size="2" />)";
constexpr std::string_view EmptyRightTitleCell =
    R"(</div></td><td width="10"></td><td valign="top" width="48%"></td></tr>)";
constexpr std::string_view TitleRowEnd = R"(</div></td></tr>)";
constexpr std::string_view DescriptionOpening =
    R"(<tr><td valign="top" height="20"><div class="itemdescription">)";
constexpr std::string_view RightDescriptionCell =
    R"(</div></td><td></td><td valign="top"><div class="itemdescription">)";
constexpr std::string_view EmptyRightDescriptionCell =
    R"(</div></td><td></td><td valign="top"></td></tr><tr><td height="25"><div class="itemlink">)";
constexpr std::string_view LinkRowOpening =
    R"(</div></td></tr><tr><td height="25"><div class="itemlink">)";
constexpr std::string_view RightLinkCell = R"(</div></td><td></td><td><div class="itemlink">)";
constexpr std::string_view EmptyRightLinkCell = R"(</div></td><td></td><td>)";
constexpr std::string_view ItemTableEnd = R"(</td></tr></tbody></table>)";
constexpr std::string_view LinkCellEnd = R"(</div>)";
constexpr std::string_view NewsPaperItemEnd = "<br/>";
constexpr std::string_view LineEnd = "\r\n";

constexpr std::string_view TitleAnchorOpening = R"(<A  HREF=")";
constexpr std::string_view TitleFont =
    R"("> <FONT color="black" style="italic" > <div class="noline"> )";
constexpr std::string_view TitleAnchorEnd = "</div></FONT></A>";
constexpr std::string_view ReadMoreOpening = R"(<A HREF=")";
constexpr std::string_view OpenInBrowserOpening = R"(">Read more</A> &nbsp;|&nbsp;<A HREF=")";
constexpr std::string_view OpenInBrowserEnd =
    R"(" target="_blank">Open in browser</A> <hr style="WIDTH: 100%" size="2" />)";

// A value written into an attribute rather than as it is.
struct TAttribute {
  std::string_view Value;
};

// The page as a list of lines without their line ends.
class TPageLines {
 public:
  void Append(std::string_view piece) { FLine.append(piece); }
  void EndLine() {
    FLines.push_back(std::move(FLine));
    FLine.clear();
  }
  std::vector<std::string> Take() { return std::move(FLines); }

 private:
  std::string FLine;
  std::vector<std::string> FLines;
};

// The page as text in one buffer, handed on whenever it is full and at Flush().
class TPageChunks {
 public:
  explicit TPageChunks(const TPageWrite& write) : FWrite(write) { FBuffer.reserve(PageChunkSize); }
  void Append(std::string_view piece) {
    if (piece.size() > PageChunkSize - FBuffer.size()) {
      Flush();
      // A value as long as the buffer goes on by itself rather than through it.
      if (piece.size() >= PageChunkSize) return FWrite(piece);
    }
    FBuffer.append(piece);
  }
  void EndLine() { Append(LineEnd); }
  void Flush() {
    if (FBuffer.empty()) return;
    FWrite(FBuffer);
    FBuffer.clear();
  }

 private:
  const TPageWrite& FWrite;
  std::string FBuffer;
};

// Writes one page into `TSink` piece by piece; the reader lives for one rendering only.
template <typename TSink>
class TFeedPageBuilder {
 public:
  TFeedPageBuilder(const TSimpleRSS& reader, TSink& sink) : FReader(reader), FSink(sink) {}

  // NewsPaper for 0, List for 1, nothing for any other style.
  void Build(uint8_t style) {
    if (style == 0) BuildNewsPaper();
    if (style == 1) BuildList();
  }

 private:
  const TRSSItems& Items() const { return FReader.Items(); }

  void Put(std::string_view piece) { FSink.Append(piece); }

  // A double quote in a value cannot end the attribute it is written into.
  void Put(TAttribute attribute) {
    std::string_view value = attribute.Value;
    for (size_t quote = value.find('"'); quote != std::string_view::npos; quote = value.find('"')) {
      FSink.Append(value.substr(0, quote));
      FSink.Append("&quot;");
      value.remove_prefix(quote + 1);
    }
    FSink.Append(value);
  }

  template <typename... TPieces>
  void Write(const TPieces&... pieces) {
    (Put(pieces), ...);
  }

  template <typename... TPieces>
  void WriteLine(const TPieces&... pieces) {
    Write(pieces...);
    FSink.EndLine();
  }

  void BuildNewsPaper() {
    AddOpening(NewsPaperFeedRules);
    AddHeader(true);
    AddNewsPaperItems();
    AddClosing();
  }

  void BuildList() {
    AddOpening(ListFeedRules);
    AddHeader(false);
    for (int i = 0; i < Items().Count(); ++i) AddListLine(Items().Items(i));
    AddClosing();
  }

  void AddOpening(std::string_view feedRules) {
    WriteLine("<html>");
    WriteLine("<head>");
    WriteLine(StyleOpening, feedRules, ItemRules);
    WriteLine("</head>");
    WriteLine("<body>");
  }

  void AddHeader(bool doubleBreak) {
    const TRSSChannel& channel = FReader.Channel();
    WriteLine(HeaderOpening, channel.Required.Title(), HeaderImageOpening,
              TAttribute{channel.Optional.Image.Required.URL()}, HeaderRule, Break,
              doubleBreak ? Break : std::string_view());
  }

  void AddClosing() {
    WriteLine(FooterOpening, FReader.Channel().Required.Desc(), DivEnd);
    WriteLine("</body>");
    WriteLine("</html>");
  }

  // The title of an item as a link to its article.
  void WriteTitleAnchor(const TRSSItem& item) {
    Write(TitleAnchorOpening, TAttribute{item.Link}, TitleFont, item.Title, TitleAnchorEnd);
  }

  // The "Read more" and "Open in browser" links of an item, above its closing rule.
  void WriteLinkRow(const TRSSItem& item) {
    const TAttribute link{item.Link};
    Write(ReadMoreOpening, link, OpenInBrowserOpening, link, OpenInBrowserEnd);
  }

  // Item r on the left beside item h + r on the right; an odd last item stands alone.
  void AddNewsPaperItems() {
    const int count = Items().Count();
    const int half = count / 2;
    for (int row = 0; row < half; ++row) AddPairLine(Items().Items(row), Items().Items(half + row));
    if (2 * half < count) AddSingleLine(Items().Items(count - 1));
  }

  void AddPairLine(const TRSSItem& left, const TRSSItem& right) {
    Write(ItemOpening);
    WriteTitleAnchor(left);
    Write(RightTitleCell);
    WriteTitleAnchor(right);
    Write(TitleRowEnd, DescriptionOpening, left.Description, RightDescriptionCell,
          right.Description, LinkRowOpening);
    WriteLinkRow(left);
    Write(RightLinkCell);
    WriteLinkRow(right);
    WriteLine(LinkCellEnd, ItemTableEnd, NewsPaperItemEnd);
  }

  // The title is plain text here, not a link.
  void AddSingleLine(const TRSSItem& item) {
    Write(ItemOpening, item.Title, EmptyRightTitleCell, DescriptionOpening, item.Description,
          EmptyRightDescriptionCell);
    WriteLinkRow(item);
    WriteLine(EmptyRightLinkCell, ItemTableEnd, NewsPaperItemEnd);
  }

  void AddListLine(const TRSSItem& item) {
    Write(ItemOpening);
    WriteTitleAnchor(item);
    Write(TitleRowEnd, DescriptionOpening, item.Description, LinkRowOpening);
    WriteLinkRow(item);
    WriteLine(LinkCellEnd, ItemTableEnd);
  }

  const TSimpleRSS& FReader;
  TSink& FSink;
};

template <typename TSink>
void BuildPage(const TSimpleRSS& reader, uint8_t style, TSink& sink) {
  TFeedPageBuilder<TSink>(reader, sink).Build(style);
}

}  // namespace

void WriteFeedPage(const TSimpleRSS& reader, uint8_t style, const TPageWrite& write) {
  TPageChunks chunks(write);
  BuildPage(reader, style, chunks);
  chunks.Flush();
}

std::vector<std::string> FeedPageLines(const TSimpleRSS& reader, uint8_t style) {
  TPageLines lines;
  BuildPage(reader, style, lines);
  return lines.Take();
}

}  // namespace vantle
