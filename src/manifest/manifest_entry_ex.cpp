#include "manifest/manifest_entry_ex.h"

#include <libxml/valid.h>
#include <libxml/xmlstring.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <string_view>

#include "base/error.h"
#include "manifest/unicode_case.h"
#include "manifest/xml_node.h"
#include "manifest/xpath_query.h"

namespace manifest {
namespace {

constexpr long kInvalidArgument = 380;
constexpr long kSubscriptOutOfRange = 9;
constexpr long kTypeMismatch = 13;

}  // namespace

void cManifestEntryEx::Attach(xmlNode* element, int32_t is_active) {
  if (element == nullptr) throw base::Error(kInvalidArgument, "NULL Element Not Valid");
  if (element->type != XML_ELEMENT_NODE) throw base::Error(kTypeMismatch, "Type mismatch");
  int32_t count = 0;
  for (const xmlAttr* a = element->properties; a != nullptr; a = a->next) {
    if (++count >= kMaxAttributes) {
      throw base::Error(kSubscriptOutOfRange, "Element has too many Attributes");
    }
  }
  element_ = element;
  element_list_ = ValueList();
  attribute_records_.clear();
  element_flags_ = 0;
  is_active_ = is_active;
}

int32_t cManifestEntryEx::NumberAttributes() const {
  if (element_ == nullptr) return 0;
  int32_t count = 0;
  for (const xmlAttr* a = element_->properties; a != nullptr; a = a->next) ++count;
  return count;
}

xmlAttr* cManifestEntryEx::AttributeAt(int32_t position) const {
  xmlAttr* a = element_->properties;
  for (int32_t i = 0; i < position && a != nullptr; ++i) a = a->next;
  return a;
}

std::optional<int32_t> cManifestEntryEx::ResolveAttributeIndex(const AttributeIndex& key) const {
  switch (key.kind()) {
    case AttributeIndex::Kind::kElement:
      return std::nullopt;
    case AttributeIndex::Kind::kName: {
      int32_t found = -1;
      int32_t position = 0;
      for (const xmlAttr* a = element_->properties; a != nullptr; a = a->next, ++position) {
        if (QualifiedName(a->ns, a->name) == key.name()) found = position;
      }
      if (found >= 0) return found;
      break;
    }
    case AttributeIndex::Kind::kPosition:
      if (key.position() >= 0 && key.position() < NumberAttributes()) return key.position();
      break;
    case AttributeIndex::Kind::kInvalidPosition:
      break;
  }
  throw base::Error(kInvalidArgument, "Invalid Key or Index");
}

const cManifestEntryEx::AttributeRecord* cManifestEntryEx::RecordAt(int32_t position) const {
  if (static_cast<size_t>(position) >= attribute_records_.size()) return nullptr;
  return &attribute_records_[static_cast<size_t>(position)];
}

std::string cManifestEntryEx::ReadValue(std::optional<int32_t> position) const {
  if (!position) return Content(element_);
  return Content(reinterpret_cast<const xmlNode*>(AttributeAt(*position)));
}

void cManifestEntryEx::WriteValue(std::optional<int32_t> position, const std::string& value) {
  if (!position) {
    ReplaceWithText(element_, value);
    return;
  }
  xmlAttr* attribute = AttributeAt(*position);
  // An ID attribute is registered with the document under its value.
  const bool is_id = attribute->atype == XML_ATTRIBUTE_ID && attribute->doc != nullptr;
  if (is_id) xmlRemoveID(attribute->doc, attribute);
  ReplaceWithText(reinterpret_cast<xmlNode*>(attribute), value);
  if (is_id) xmlAddID(nullptr, attribute->doc, Xml(value), attribute);
}

bool cManifestEntryEx::StoreValueList(ValueList& list, std::optional<int32_t> position,
                                      const std::vector<std::string>& values) {
  if (values.empty()) {
    list = ValueList();
    return true;
  }
  const size_t places = values.size() + values.size() % 2;
  if (places > kMaxValueListItems) return false;
  ValueList stored;
  stored.items = values;
  stored.items.resize(places);
  stored.pair_count = static_cast<int32_t>(values.size() / 2);
  list = std::move(stored);

  const std::string current = ReadValue(position);
  if (current.empty()) return true;
  for (int32_t i = 0; i < list.pair_count; ++i) {
    const std::string& allowed = list.items[static_cast<size_t>(2 * i)];
    if (EqualIgnoringCase(allowed, current)) {
      if (allowed != current) WriteValue(position, allowed);
      break;
    }
  }
  return true;
}

bool cManifestEntryEx::AddElementValueList(int32_t elem_props,
                                           const std::vector<std::string>& values) {
  if (element_ == nullptr) return false;
  if (!StoreValueList(element_list_, std::nullopt, values)) return false;
  element_flags_ = elem_props;
  return true;
}

bool cManifestEntryEx::AddAttributeValueList(const AttributeIndex& index, int32_t attr_props,
                                             const std::vector<std::string>& values) {
  if (element_ == nullptr) return false;
  const std::optional<int32_t> position = ResolveAttributeIndex(index);
  if (!position) throw base::Error(kInvalidArgument, "Invalid Key or Index");
  if (attribute_records_.empty()) {
    attribute_records_.resize(static_cast<size_t>(NumberAttributes()));
  } else if (static_cast<size_t>(*position) >= attribute_records_.size()) {
    attribute_records_.resize(static_cast<size_t>(*position) + 1);
  }
  AttributeRecord& record = attribute_records_[static_cast<size_t>(*position)];
  if (!StoreValueList(record.list, position, values)) return false;
  record.flags = attr_props;
  return true;
}

std::string cManifestEntryEx::GetName(const AttributeIndex& attribute, bool include_prefix) const {
  if (element_ == nullptr) return {};
  const std::optional<int32_t> position = ResolveAttributeIndex(attribute);
  const xmlNs* ns = element_->ns;
  const xmlChar* name = element_->name;
  if (position) {
    const xmlAttr* a = AttributeAt(*position);
    ns = a->ns;
    name = a->name;
  }
  return include_prefix ? QualifiedName(ns, name) : Text(name);
}

std::string cManifestEntryEx::GetValue(const AttributeIndex& attribute, bool actual_value) const {
  if (element_ == nullptr) return {};
  const std::optional<int32_t> position = ResolveAttributeIndex(attribute);
  std::string value = ReadValue(position);
  if (actual_value) return value;
  const ValueList* list = &element_list_;
  if (position) {
    const AttributeRecord* record = RecordAt(*position);
    if (record == nullptr) return value;
    list = &record->list;
  }
  for (int32_t i = 0; i < list->pair_count; ++i) {
    if (list->items[static_cast<size_t>(2 * i)] == value) {
      const std::string& display = list->items[static_cast<size_t>(2 * i + 1)];
      return display.empty() ? value : display;
    }
  }
  return value;
}

bool cManifestEntryEx::SetValue(const std::string& value, const AttributeIndex& attribute) {
  if (element_ == nullptr) return false;
  WriteValue(ResolveAttributeIndex(attribute), value);
  return true;
}

std::optional<int32_t> cManifestEntryEx::GetValueListCount(const AttributeIndex& attribute) const {
  if (element_ == nullptr) return std::nullopt;
  const std::optional<int32_t> position = ResolveAttributeIndex(attribute);
  if (!position) return element_list_.pair_count;
  const AttributeRecord* record = RecordAt(*position);
  if (record == nullptr) return std::nullopt;
  return record->list.pair_count;
}

std::string cManifestEntryEx::GetValueListItem(int32_t index, const AttributeIndex& attribute,
                                               bool actual_value) const {
  if (element_ == nullptr) return {};
  const std::optional<int32_t> position = ResolveAttributeIndex(attribute);
  const ValueList* list = &element_list_;
  if (position) {
    const AttributeRecord* record = RecordAt(*position);
    if (record == nullptr) return {};
    list = &record->list;
  }
  if (index < 0 || index >= list->pair_count) return {};
  const std::string& value = list->items[static_cast<size_t>(2 * index)];
  const std::string& display = list->items[static_cast<size_t>(2 * index + 1)];
  return actual_value || display.empty() ? value : display;
}

bool cManifestEntryEx::isElementTopLevel() const {
  if (element_ == nullptr || element_->doc == nullptr || element_->parent == nullptr) return false;
  return element_->parent == xmlDocGetRootElement(element_->doc);
}

bool cManifestEntryEx::isElementDescendantOf(const std::string& ancestor,
                                             bool include_prefix) const {
  if (element_ == nullptr) return false;
  if (ancestor.empty()) return isElementTopLevel();
  // No element name holds a NUL or ill-formed UTF-8; the XPath engine would not see such a
  // name whole.
  if (ancestor.find('\0') != std::string::npos || xmlCheckUTF8(Xml(ancestor)) == 0) {
    return false;
  }
  const std::string expression =
      (include_prefix ? "ancestor::*[name()=" : "ancestor::*[local-name()=") +
      XPathLiteral(ancestor) + "]";
  return XPathFindsNodes(element_, expression);
}

std::string cManifestEntryEx::GetNamespaceInfo(const AttributeIndex& attribute, bool prefix) const {
  if (element_ == nullptr) return {};
  const std::optional<int32_t> position = ResolveAttributeIndex(attribute);
  const xmlNs* ns = position ? AttributeAt(*position)->ns : element_->ns;
  if (ns == nullptr) return {};
  return Text(prefix ? ns->prefix : ns->href);
}

std::string cManifestEntryEx::NameSpace(const AttributeIndex& attribute) const {
  return GetNamespaceInfo(attribute, false);
}

std::string cManifestEntryEx::NameSpacePrefix(const AttributeIndex& attribute) const {
  return GetNamespaceInfo(attribute, true);
}

int32_t cManifestEntryEx::Flags(const AttributeIndex& attribute) const {
  if (element_ == nullptr) return 0;
  const std::optional<int32_t> position = ResolveAttributeIndex(attribute);
  if (!position) return element_flags_;
  const AttributeRecord* record = RecordAt(*position);
  return record == nullptr ? kUnsetAttributeFlags : record->flags;
}

void cManifestEntryEx::SetFlags(int32_t value, const AttributeIndex& attribute) {
  if (element_ == nullptr) return;
  const std::optional<int32_t> position = ResolveAttributeIndex(attribute);
  if (!position) {
    element_flags_ = value;
  } else if (RecordAt(*position) != nullptr) {
    attribute_records_[static_cast<size_t>(*position)].flags = value;
  } else {
    AddAttributeValueList(*position, value, {});
  }
}

int32_t cManifestEntryEx::GetAttributeIndex(const std::string& name) const {
  if (element_ == nullptr) return 0;
  return *ResolveAttributeIndex(name);
}

std::string cManifestEntryEx::Key() const {
  return std::string("c").append(std::to_string(reinterpret_cast<uintptr_t>(this)));
}

}  // namespace manifest
