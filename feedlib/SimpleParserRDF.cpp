#include "SimpleParserRDF.h"

#include "SimpleRSS.h"
#include "SimpleRSSConst.h"
#include "XMLDocument.h"

namespace vantle {

namespace {

// The fallback of a channel description that cannot be read.
constexpr std::string_view sBlankDescription = " ";

}  // namespace

void TSimpleParserRDF::Parse() {
  // The items, image and text input stand beside the channel, so the walk is one level up
  // from RSS's and nothing is required of the channel.
  IXMLNodeList& children = RSS.XMLFile().DocumentElement().ChildNodes();
  for (int i = 0; i < children.Count(); ++i) {
    IXMLNode& child = children.Nodes(i);
    const std::string& name = child.NodeName();
    if (name == sChannel)
      ReadChannel(child);
    else if (name == sItem)
      ReadItem(child, TItemFormat::ifRDF);
    else
      ReadChannelRow(child, TChannelRows::crRSS);
  }
}

void TSimpleParserRDF::ReadChannel(IXMLNode& channel) {
  TRSSChannelReq& required = RSS.Channel().Required;
  IXMLNodeList& children = channel.ChildNodes();
  for (int i = 0; i < children.Count(); ++i) {
    IXMLNode& child = children.Nodes(i);
    const std::string& name = child.NodeName();
    if (name == sTitle)
      required.SetTitle(RequiredText(child));
    else if (name == sLink)
      required.SetLink(RequiredText(child));
    else if (name == sDescription)
      required.SetDesc(TextOr(child, sBlankDescription));
  }
}

}  // namespace vantle
