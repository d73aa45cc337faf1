#include "FeedPage.h"

#include <initializer_list>
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

// A double quote in a value cannot end the attribute it is written into.
std::string AttributeValue(std::string_view value) {
  std::string result;
  result.reserve(value.size());
  for (char c : value) {
    if (c == '"')
      result += "&quot;";
    else
      result += c;
  }
  return result;
}

// One allocation for a line made of many pieces.
std::string Join(std::initializer_list<std::string_view> pieces) {
  size_t size = 0;
  for (std::string_view piece : pieces) size += piece.size();
  std::string line;
  line.reserve(size);
  for (std::string_view piece : pieces) line += piece;
  return line;
}

// The title of an item as a link to its article.
std::string TitleAnchor(const TRSSItem& item) {
  return Join({R"(<A  HREF=")", AttributeValue(item.Link),
               R"("> <FONT color="black" style="italic" > <div class="noline"> )", item.Title,
               "</div></FONT></A>"});
}

// The "Read more" and "Open in browser" links of an item, above its closing rule.
std::string LinkRow(const TRSSItem& item) {
  const std::string link = AttributeValue(item.Link);
  return Join({R"(<A HREF=")", link, R"(">Read more</A> &nbsp;|&nbsp;<A HREF=")", link,
               R"(" target="_blank">Open in browser</A> <hr style="WIDTH: 100%" size="2" />)"});
}

// Builds one page as lines in memory; the reader and the lines live for one rendering only.
class TFeedPageBuilder {
 public:
  explicit TFeedPageBuilder(const TSimpleRSS& reader) : FReader(reader) {}

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

  std::vector<std::string> TakeLines() { return std::move(FLines); }

 private:
  const TRSSItems& Items() const { return FReader.Items(); }

  void AddOpening(std::string_view feedRules) {
    FLines.emplace_back("<html>");
    FLines.emplace_back("<head>");
    FLines.push_back(Join({StyleOpening, feedRules, ItemRules}));
    FLines.emplace_back("</head>");
    FLines.emplace_back("<body>");
  }

  void AddHeader(bool doubleBreak) {
    const TRSSChannel& channel = FReader.Channel();
    FLines.push_back(Join({HeaderOpening, channel.Required.Title(), HeaderImageOpening,
                           AttributeValue(channel.Optional.Image.Required.URL()), HeaderRule, Break,
                           doubleBreak ? Break : std::string_view()}));
  }

  void AddClosing() {
    FLines.push_back(Join({FooterOpening, FReader.Channel().Required.Desc(), DivEnd}));
    FLines.emplace_back("</body>");
    FLines.emplace_back("</html>");
  }

  // Item r on the left beside item h + r on the right; an odd last item stands alone.
  void AddNewsPaperItems() {
    const int count = Items().Count();
    const int half = count / 2;
    for (int row = 0; row < half; ++row) AddPairLine(Items().Items(row), Items().Items(half + row));
    if (2 * half < count) AddSingleLine(Items().Items(count - 1));
  }

  void AddPairLine(const TRSSItem& left, const TRSSItem& right) {
    FLines.push_back(Join({ItemOpening, TitleAnchor(left), RightTitleCell, TitleAnchor(right),
                           TitleRowEnd, DescriptionOpening, left.Description, RightDescriptionCell,
                           right.Description, LinkRowOpening, LinkRow(left), RightLinkCell,
                           LinkRow(right), LinkCellEnd, ItemTableEnd, NewsPaperItemEnd}));
  }

  // The title is plain text here, not a link.
  void AddSingleLine(const TRSSItem& item) {
    FLines.push_back(Join({ItemOpening, item.Title, EmptyRightTitleCell, DescriptionOpening,
                           item.Description, EmptyRightDescriptionCell, LinkRow(item),
                           EmptyRightLinkCell, ItemTableEnd, NewsPaperItemEnd}));
  }

  void AddListLine(const TRSSItem& item) {
    FLines.push_back(
        Join({ItemOpening, TitleAnchor(item), TitleRowEnd, DescriptionOpening, item.Description,
              LinkRowOpening, LinkRow(item), LinkCellEnd, ItemTableEnd}));
  }

  const TSimpleRSS& FReader;
  std::vector<std::string> FLines;
};

}  // namespace

std::vector<std::string> FeedPageLines(const TSimpleRSS& reader, uint8_t style) {
  TFeedPageBuilder builder(reader);
  if (style == 0) builder.BuildNewsPaper();
  if (style == 1) builder.BuildList();
  return builder.TakeLines();
}

}  // namespace vantle
