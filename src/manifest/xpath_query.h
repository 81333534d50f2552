#ifndef MDBTOMYSQL_MANIFEST_XPATH_QUERY_H_
#define MDBTOMYSQL_MANIFEST_XPATH_QUERY_H_

#include <libxml/tree.h>

#include <string>

namespace manifest {

// `text` as an XPath string literal that means exactly `text`: in apostrophes, in quotes when it
// holds an apostrophe, or joined with concat() when it holds both.
std::string XPathLiteral(const std::string& text);

// Whether `expression`, evaluated with `node` as the context node, gives a non-empty node set.
// Raises base::Error (E_FAIL) when the expression cannot be evaluated.
bool XPathFindsNodes(xmlNode* node, const std::string& expression);

}  // namespace manifest

#endif  // MDBTOMYSQL_MANIFEST_XPATH_QUERY_H_
