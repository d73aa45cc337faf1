#pragma once

#include <string>

namespace vantle {

class IXMLNode;

// What an element that holds markup gives where a text is read.

// The element's content serialised as XHTML for a page; a single `div` that wraps it all
// (Atom's xhtml content, prefixed or not) is left out.
std::string InnerXhtml(IXMLNode& element);
// The text of the element and all it holds, with the markup left out.
std::string StrippedText(IXMLNode& element);

}  // namespace vantle
