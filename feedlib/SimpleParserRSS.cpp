#include "SimpleParserRSS.h"

#include "SimpleRSS.h"
#include "SimpleRSSConst.h"
#include "XMLDocument.h"

namespace vantle {

void TSimpleParserRSS::Parse() {
  // A document without a channel gets an empty one, which then lacks its title.
  IXMLNode& channel = RSS.XMLFile().DocumentElement().ChildNodes().Nodes(sChannel);
  RequireChild(channel, {}, sTitle);
  RequireChild(channel, {}, sLink);
  RequireChild(channel, {}, sDescription);
  IXMLNodeList& children = channel.ChildNodes();
  for (int i = 0; i < children.Count(); ++i) {
    IXMLNode& child = children.Nodes(i);
    if (child.NodeName() == sItem)
      ReadItem(child, TItemFormat::ifRSS);
    else
      ReadChannelRow(child, TChannelRows::crRSS);
  }
}

}  // namespace vantle
