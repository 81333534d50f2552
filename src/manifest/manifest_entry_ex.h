#ifndef MDBTOMYSQL_MANIFEST_MANIFEST_ENTRY_EX_H_
#define MDBTOMYSQL_MANIFEST_MANIFEST_ENTRY_EX_H_

#include <libxml/tree.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "manifest/attribute_index.h"

namespace manifest {

// One element of an XML manifest held in a libxml2 document, with an optional list of allowed
// values (each with a display text) and a flags number for the element and for each attribute.
// The flags are stored for the user of the class, never interpreted.
//
// The document owns the element: it must outlive the object's use of it. Attributes are the
// element's own (libxml2 keeps namespace declarations apart from them), counted from 0 in
// document order. Texts are UTF-8.
//
// Errors are raised as base::Error: 380 "NULL Element Not Valid", 9 "Element has too many
// Attributes", 380 "Invalid Key or Index" (an attribute name no attribute has, compared
// case-sensitively, or a position outside 0 to NumberAttributes() - 1). No member changes the
// object or the document before it raises. With no element attached every member gives its empty
// result (empty text, false, 0, nullopt) and changes nothing.
class cManifestEntryEx {
 public:
  // A value list holds at most this many texts: value, display text, value, display text, ...
  static constexpr size_t kMaxValueListItems = 32766;
  // An element with this many attributes or more is refused.
  static constexpr int32_t kMaxAttributes = 32767;
  // The flags of an attribute that has no record yet.
  static constexpr int32_t kUnsetAttributeFlags = 20;

  cManifestEntryEx() = default;
  // Key() is the object's address, so the object stays where it was made.
  cManifestEntryEx(const cManifestEntryEx&) = delete;
  cManifestEntryEx& operator=(const cManifestEntryEx&) = delete;

  xmlNode* ManifestElement() const { return element_; }

  // Attaches `element` and forgets everything about the previous one (lists, flags). Raises 380
  // for no element, 13 "Type mismatch" for a node that is not an element, 9 for an element with
  // kMaxAttributes attributes or more.
  void Attach(xmlNode* element, int32_t is_active = 0);

  // Stores the element's allowed values as pairs (value, display text; an empty display text
  // shows the value itself); an odd last value gets an empty place and is not counted. When the
  // element's text matches an allowed value but for letter case, the text takes the list's
  // spelling. An empty `values` clears the list. Returns false, changing nothing, when no element
  // is attached or `values` holds more than kMaxValueListItems places.
  bool AddElementValueList(int32_t elem_props, const std::vector<std::string>& values);
  // The same for one attribute, whose flags become `attr_props`. Makes the records of all the
  // element's attributes on first use (flags kUnsetAttributeFlags, empty lists); they stay even
  // when the list is refused. `index` must name an attribute: an empty one raises 380 too.
  bool AddAttributeValueList(const AttributeIndex& index, int32_t attr_props,
                             const std::vector<std::string>& values);

  // The qualified name ("asmv3:file") with `include_prefix`, the local name ("file") without.
  std::string GetName(const AttributeIndex& attribute = {}, bool include_prefix = false) const;
  // The attribute's value or the element's text; unless `actual_value`, the display text of the
  // pair whose value equals it exactly, when that display text is not empty.
  std::string GetValue(const AttributeIndex& attribute = {}, bool actual_value = false) const;
  // Writes `value` as plain text ("&" and "<" stay characters) into the attribute, or as the
  // element's only content. The value lists are not consulted. False when no element is attached.
  bool SetValue(const std::string& value, const AttributeIndex& attribute = {});

  // The number of pairs in the list; nullopt for an attribute that has no record.
  std::optional<int32_t> GetValueListCount(const AttributeIndex& attribute = {}) const;
  // Pair `index` (from 0): its display text, or its value when `actual_value` is set or the
  // display text is empty. An empty text when `index` is not a pair of the list.
  std::string GetValueListItem(int32_t index, const AttributeIndex& attribute = {},
                               bool actual_value = false) const;

  // Stored for the user of the class; never read by it.
  const std::string& parentKey() const { return parent_key_; }
  void SetParentKey(std::string key) { parent_key_ = std::move(key); }
  int32_t isActive() const { return is_active_; }
  void SetIsActive(int32_t active) { is_active_ = active; }

  int32_t NumberAttributes() const;
  // True when the element is a child of the document's root element.
  bool isElementTopLevel() const;
  // True when an ancestor element is called `ancestor`: compared with qualified names with
  // `include_prefix`, with local names without it. An empty name asks isElementTopLevel().
  bool isElementDescendantOf(const std::string& ancestor, bool include_prefix = false) const;

  std::string NameSpace(const AttributeIndex& attribute = {}) const;
  std::string NameSpacePrefix(const AttributeIndex& attribute = {}) const;

  // The element's flags, or the attribute's (kUnsetAttributeFlags when it has no record).
  int32_t Flags(const AttributeIndex& attribute = {}) const;
  // Sets them; for an attribute without a record, makes the records as AddAttributeValueList does.
  void SetFlags(int32_t value, const AttributeIndex& attribute = {});

  // The position of the attribute whose qualified name is `name`; the last one when several are.
  int32_t GetAttributeIndex(const std::string& name) const;

  // "c" and a number that no other living object has.
  std::string Key() const;

 private:
  struct ValueList {
    std::vector<std::string> items;
    int32_t pair_count = 0;
  };
  struct AttributeRecord {
    ValueList list;
    int32_t flags = kUnsetAttributeFlags;
  };

  // nullopt for the element itself; otherwise a valid position, or raises 380.
  std::optional<int32_t> ResolveAttributeIndex(const AttributeIndex& key) const;
  xmlAttr* AttributeAt(int32_t position) const;
  // The record of the attribute at `position`, or null when it has none.
  const AttributeRecord* RecordAt(int32_t position) const;
  // Reads the namespace URI (`prefix` false) or prefix of the element or attribute.
  std::string GetNamespaceInfo(const AttributeIndex& attribute, bool prefix) const;
  std::string ReadValue(std::optional<int32_t> position) const;
  void WriteValue(std::optional<int32_t> position, const std::string& value);
  // Stores `values` into `list` and gives the element or attribute the list's spelling.
  bool StoreValueList(ValueList& list, std::optional<int32_t> position,
                      const std::vector<std::string>& values);

  xmlNode* element_ = nullptr;
  int32_t is_active_ = 0;
  std::string parent_key_;
  int32_t element_flags_ = 0;
  ValueList element_list_;
  // Empty until an attribute's list or flags are first set.
  std::vector<AttributeRecord> attribute_records_;
};

}  // namespace manifest

#endif  // MDBTOMYSQL_MANIFEST_MANIFEST_ENTRY_EX_H_
