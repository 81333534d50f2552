#ifndef MDBTOMYSQL_MANIFEST_XML_NODE_H_
#define MDBTOMYSQL_MANIFEST_XML_NODE_H_

#include <libxml/tree.h>

#include <string>

namespace manifest {

// Small bridges between libxml2's nodes and UTF-8 texts.

const xmlChar* Xml(const std::string& text);
// An empty text for a null pointer.
std::string Text(const xmlChar* text);
// The text content of a node (the text of an element and its descendants, an attribute's value).
std::string Content(const xmlNode* node);
// "prefix:local_name", or the local name alone without a prefixed namespace.
std::string QualifiedName(const xmlNs* ns, const xmlChar* local_name);
// Replaces the children of an element or attribute by one text node holding `value` as it is.
// Throws std::bad_alloc when libxml2 cannot make the node.
void ReplaceWithText(xmlNode* node, const std::string& value);

}  // namespace manifest

#endif  // MDBTOMYSQL_MANIFEST_XML_NODE_H_
