#include "manifest/xml_node.h"

#include <new>

namespace manifest {

const xmlChar* Xml(const std::string& text) {
  return reinterpret_cast<const xmlChar*>(text.c_str());
}

std::string Text(const xmlChar* text) {
  return text == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(text));
}

std::string Content(const xmlNode* node) {
  xmlChar* content = xmlNodeGetContent(node);
  std::string text = Text(content);
  xmlFree(content);
  return text;
}

std::string QualifiedName(const xmlNs* ns, const xmlChar* local_name) {
  if (ns == nullptr || ns->prefix == nullptr) return Text(local_name);
  return Text(ns->prefix) + ":" + Text(local_name);
}

void ReplaceWithText(xmlNode* node, const std::string& value) {
  xmlFreeNodeList(node->children);
  node->children = nullptr;
  node->last = nullptr;
  if (value.empty()) return;
  xmlNode* text = xmlNewDocTextLen(node->doc, Xml(value), static_cast<int>(value.size()));
  if (text == nullptr) throw std::bad_alloc();
  text->parent = node;
  node->children = text;
  node->last = text;
}

}  // namespace manifest
