#include "manifest/manifest_entry_ex.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <memory>
#include <string>
#include <vector>

#include "base/error.h"

namespace manifest {
namespace {

constexpr char kManifest[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<assembly xmlns="urn:mdbtomysql:asm.v1" xmlns:asmv3="urn:mdbtomysql:asm.v3" manifestVersion="1.0">
  <assemblyIdentity version="1.0.0.0" name="Attendance.Export" type="win32"/>
  <description>YES</description>
  <trustInfo xmlns="urn:mdbtomysql:asm.v2">
    <security>
      <requestedExecutionLevel level="asInvoker" uiAccess="false"/>
    </security>
  </trustInfo>
  <asmv3:application>
    <asmv3:windowsSettings xmlns:ws="urn:mdbtomysql:settings">
      <ws:dpiAware asmv3:scope="Process" ws:mode="per monitor">true</ws:dpiAware>
    </asmv3:windowsSettings>
  </asmv3:application>
</assembly>
)";

struct DocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using Doc = std::unique_ptr<xmlDoc, DocFree>;

Doc Parse(const std::string& xml) {
  Doc doc(xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "manifest.xml", nullptr,
                        XML_PARSE_NONET | XML_PARSE_NOBLANKS));
  EXPECT_NE(doc, nullptr);
  return doc;
}

// The first element (document order) whose qualified name is `name`.
xmlNode* Find(xmlNode* node, const std::string& name) {
  for (; node != nullptr; node = node->next) {
    if (node->type != XML_ELEMENT_NODE) continue;
    std::string qualified = reinterpret_cast<const char*>(node->name);
    if (node->ns != nullptr && node->ns->prefix != nullptr) {
      qualified = reinterpret_cast<const char*>(node->ns->prefix) + (":" + qualified);
    }
    if (qualified == name) return node;
    if (xmlNode* found = Find(node->children, name)) return found;
  }
  return nullptr;
}

xmlNode* Find(const Doc& doc, const std::string& name) {
  xmlNode* found = Find(xmlDocGetRootElement(doc.get()), name);
  EXPECT_NE(found, nullptr) << name;
  return found;
}

std::string Serialize(xmlNode* node) {
  xmlBuffer* buffer = xmlBufferCreate();
  xmlNodeDump(buffer, node->doc, node, 0, 0);
  std::string text(reinterpret_cast<const char*>(xmlBufferContent(buffer)));
  xmlBufferFree(buffer);
  return text;
}

// Runs `call`, which must raise base::Error `number` with `description`.
template <typename F>
void ExpectError(F call, long number, const std::string& description) {
  try {
    call();
    ADD_FAILURE() << "nothing raised; expected " << number << " " << description;
  } catch (const base::Error& e) {
    EXPECT_EQ(e.number(), number);
    EXPECT_EQ(e.description(), description);
  }
}

void ExpectInvalidKey(const cManifestEntryEx& entry, const AttributeIndex& key) {
  ExpectError([&] { entry.GetValue(key); }, 380, "Invalid Key or Index");
}

const std::vector<std::string> kYesNo = {"yes", "Yes please", "no", ""};

TEST(ManifestEntry, ElementListTakesTheListsSpellingAndShowsDisplayTexts) {
  Doc doc = Parse(kManifest);
  xmlNode* description = Find(doc, "description");
  cManifestEntryEx entry;
  entry.Attach(description, 1);
  EXPECT_EQ(entry.isActive(), 1);

  ASSERT_TRUE(entry.AddElementValueList(5, kYesNo));
  EXPECT_EQ(Serialize(description), "<description>yes</description>");
  EXPECT_EQ(entry.GetValue(), "Yes please");
  EXPECT_EQ(entry.GetValue({}, true), "yes");
  EXPECT_EQ(entry.Flags(), 5);
  EXPECT_EQ(entry.GetValueListCount(), 2);
  EXPECT_EQ(entry.GetValueListItem(0), "Yes please");
  EXPECT_EQ(entry.GetValueListItem(0, {}, true), "yes");
  EXPECT_EQ(entry.GetValueListItem(1), "no");  // its display text is empty
  EXPECT_EQ(entry.GetValueListItem(2), "");
  EXPECT_EQ(entry.GetValueListItem(-1), "");

  entry.SetValue("NO");
  ASSERT_TRUE(entry.AddElementValueList(6, kYesNo));
  EXPECT_EQ(entry.GetValue({}, true), "no");
  EXPECT_EQ(entry.GetValue(), "no");
  // GetValue compares exactly: a different spelling written later shows as it is.
  entry.SetValue("Yes");
  EXPECT_EQ(entry.GetValue(), "Yes");

  // Three values make one pair; the third is kept out of the count and out of matching.
  entry.SetValue("NO");
  ASSERT_TRUE(entry.AddElementValueList(0, {"yes", "", "no"}));
  EXPECT_EQ(entry.GetValueListCount(), 1);
  EXPECT_EQ(entry.GetValueListItem(1), "");
  EXPECT_EQ(entry.GetValue({}, true), "NO");

  ASSERT_TRUE(entry.AddElementValueList(9, {}));
  EXPECT_EQ(entry.GetValueListCount(), 0);
  EXPECT_EQ(entry.Flags(), 9);

  // Letter case beyond ASCII: the list's spelling wins here too.
  entry.SetValue("ÜBERSTUNDEN");
  ASSERT_TRUE(entry.AddElementValueList(0, {"Überstunden", "Overtime"}));
  EXPECT_EQ(entry.GetValue({}, true), "Überstunden");
  EXPECT_EQ(entry.GetValue(), "Overtime");
}

TEST(ManifestEntry, AttributeRecordsAreMadeForAllAttributesOnFirstUse) {
  Doc doc = Parse(kManifest);
  xmlNode* level = Find(doc, "requestedExecutionLevel");
  cManifestEntryEx entry;
  entry.Attach(level);
  EXPECT_EQ(entry.NumberAttributes(), 2);
  EXPECT_EQ(entry.Flags("level"), 20);
  EXPECT_EQ(entry.GetValueListCount("level"), std::nullopt);
  EXPECT_EQ(entry.GetValueListItem(0, "level"), "");

  ASSERT_TRUE(entry.AddAttributeValueList(
      "level", 3, {"asinvoker", "As the caller", "requireAdministrator", ""}));
  EXPECT_EQ(entry.GetValue("level", true), "asinvoker");
  EXPECT_EQ(entry.GetValue("level"), "As the caller");
  EXPECT_EQ(entry.Flags(0), 3);
  // The other attribute now has a record of its own: flags 20 and an empty list.
  EXPECT_EQ(entry.Flags("uiAccess"), 20);
  EXPECT_EQ(entry.GetValueListCount(1), 0);
  EXPECT_EQ(entry.GetValue("uiAccess"), "false");
  // The element's own list and flags are apart from the attributes'.
  EXPECT_EQ(entry.Flags(), 0);
  EXPECT_EQ(entry.GetValueListCount(), 0);

  // An attribute added to the document later has no record until its flags are written.
  xmlNewProp(level, BAD_CAST "extra", BAD_CAST "1");
  EXPECT_EQ(entry.Flags(2), 20);
  EXPECT_EQ(entry.GetValueListCount(2), std::nullopt);
  entry.SetFlags(44, "extra");
  EXPECT_EQ(entry.Flags(2), 44);
  EXPECT_EQ(entry.GetValueListCount(2), 0);
  entry.SetFlags(45, 1);
  EXPECT_EQ(entry.Flags("uiAccess"), 45);

  // Writing flags first also makes the records.
  cManifestEntryEx other;
  other.Attach(level);
  other.SetFlags(7, "uiAccess");
  EXPECT_EQ(other.Flags("uiAccess"), 7);
  EXPECT_EQ(other.GetValueListCount("level"), 0);
  EXPECT_EQ(other.Flags("level"), 20);
  other.SetFlags(8);
  EXPECT_EQ(other.Flags(), 8);

  // Attach forgets everything about the previous element.
  other.Attach(level);
  EXPECT_EQ(other.Flags("uiAccess"), 20);
  EXPECT_EQ(other.Flags(), 0);
}

TEST(ManifestEntry, InvalidKeysRaiseAndChangeNothing) {
  Doc doc = Parse(kManifest);
  xmlNode* level = Find(doc, "requestedExecutionLevel");
  cManifestEntryEx entry;
  entry.Attach(level);
  ASSERT_TRUE(entry.AddAttributeValueList("uiAccess", 2, {"false", "No"}));
  const std::string before = Serialize(level);

  ExpectInvalidKey(entry, 2);  // equal to the attribute count
  ExpectInvalidKey(entry, -1);
  ExpectInvalidKey(entry, "Level");  // names compare case-sensitively
  ExpectInvalidKey(entry, "nosuch");
  ExpectInvalidKey(entry, "");
  ExpectInvalidKey(entry, int64_t{1} << 32);  // would be 0 if cut to 32 bits
  ExpectInvalidKey(entry, 1e12);
  ExpectError([&] { entry.SetValue("x", 5); }, 380, "Invalid Key or Index");
  ExpectError([&] { entry.SetFlags(99, "UIACCESS"); }, 380, "Invalid Key or Index");
  ExpectError([&] { entry.AddAttributeValueList(-3, 1, {"a", "b"}); }, 380, "Invalid Key or Index");
  ExpectError([&] { entry.AddAttributeValueList({}, 1, {"a", "b"}); }, 380, "Invalid Key or Index");
  ExpectError([&] { entry.GetAttributeIndex("uiaccess"); }, 380, "Invalid Key or Index");
  EXPECT_EQ(Serialize(level), before);
  EXPECT_EQ(entry.Flags(), 0);
  EXPECT_EQ(entry.Flags(1), 2);
  EXPECT_EQ(entry.GetValue(1), "No");

  // Positions convert from any number; halves round to even.
  EXPECT_EQ(entry.GetName(0.6), "uiAccess");
  EXPECT_EQ(entry.GetName(0.5), "level");
  EXPECT_EQ(entry.GetName(2.5 - 1.9), "uiAccess");
  ExpectInvalidKey(entry, 1.5);  // 2, one past the last attribute
}

TEST(ManifestEntry, KeysResolveQualifiedNamesAndTheLastOfANameWins) {
  Doc doc = Parse(kManifest);
  xmlNode* dpi = Find(doc, "ws:dpiAware");
  cManifestEntryEx entry;
  entry.Attach(dpi);
  EXPECT_EQ(entry.GetAttributeIndex("asmv3:scope"), 0);
  EXPECT_EQ(entry.GetAttributeIndex("ws:mode"), 1);
  ExpectError([&] { entry.GetAttributeIndex("scope"); }, 380, "Invalid Key or Index");

  // A document built in memory may hold one name twice.
  xmlNewProp(dpi, BAD_CAST "dup", BAD_CAST "first");
  xmlNewProp(dpi, BAD_CAST "dup", BAD_CAST "second");
  EXPECT_EQ(entry.GetAttributeIndex("dup"), 3);
  EXPECT_EQ(entry.GetValue("dup"), "second");
}

TEST(ManifestEntry, NamesAndNamespaces) {
  Doc doc = Parse(kManifest);
  cManifestEntryEx entry;
  entry.Attach(Find(doc, "ws:dpiAware"));
  EXPECT_EQ(entry.GetName(), "dpiAware");
  EXPECT_EQ(entry.GetName({}, true), "ws:dpiAware");
  EXPECT_EQ(entry.NameSpace(), "urn:mdbtomysql:settings");
  EXPECT_EQ(entry.NameSpacePrefix(), "ws");
  EXPECT_EQ(entry.GetName("asmv3:scope"), "scope");
  EXPECT_EQ(entry.GetName("asmv3:scope", true), "asmv3:scope");
  EXPECT_EQ(entry.NameSpace(0), "urn:mdbtomysql:asm.v3");
  EXPECT_EQ(entry.NameSpacePrefix("ws:mode"), "ws");
  EXPECT_EQ(entry.GetValue("ws:mode"), "per monitor");

  // Default namespaces: the element is in one, an attribute without a prefix in none.
  entry.Attach(Find(doc, "security"));
  EXPECT_EQ(entry.NameSpace(), "urn:mdbtomysql:asm.v2");
  EXPECT_EQ(entry.NameSpacePrefix(), "");
  EXPECT_EQ(entry.GetName({}, true), "security");
  entry.Attach(Find(doc, "assemblyIdentity"));
  EXPECT_EQ(entry.NameSpace(), "urn:mdbtomysql:asm.v1");
  EXPECT_EQ(entry.NameSpace("name"), "");
  EXPECT_EQ(entry.GetValue(1), "Attendance.Export");
  // Namespace declarations are not attributes.
  entry.Attach(xmlDocGetRootElement(doc.get()));
  EXPECT_EQ(entry.NumberAttributes(), 1);
  EXPECT_EQ(entry.GetName(0), "manifestVersion");
}

TEST(ManifestEntry, TopLevelAndDescendantChecks) {
  Doc doc = Parse(kManifest);
  cManifestEntryEx entry;
  entry.Attach(xmlDocGetRootElement(doc.get()));
  EXPECT_FALSE(entry.isElementTopLevel());  // the root's parent is the document
  entry.Attach(Find(doc, "trustInfo"));
  EXPECT_TRUE(entry.isElementTopLevel());
  EXPECT_TRUE(entry.isElementDescendantOf(""));
  entry.Attach(Find(doc, "security"));
  EXPECT_FALSE(entry.isElementTopLevel());
  EXPECT_FALSE(entry.isElementDescendantOf(""));

  entry.Attach(Find(doc, "ws:dpiAware"));
  EXPECT_TRUE(entry.isElementDescendantOf("application"));
  EXPECT_TRUE(entry.isElementDescendantOf("asmv3:application", true));
  EXPECT_FALSE(entry.isElementDescendantOf("asmv3:application", false));
  EXPECT_FALSE(entry.isElementDescendantOf("application", true));
  EXPECT_TRUE(entry.isElementDescendantOf("assembly"));
  EXPECT_FALSE(entry.isElementDescendantOf("dpiAware"));  // itself is no ancestor
  EXPECT_FALSE(entry.isElementDescendantOf("trustInfo"));
  EXPECT_FALSE(entry.isElementDescendantOf("Assembly"));
}

TEST(ManifestEntry, AncestorNamesAreComparedLiterally) {
  Doc doc = Parse(kManifest);
  cManifestEntryEx entry;
  entry.Attach(Find(doc, "ws:dpiAware"));
  // Pasted into the expression as they stand, each of these would match every ancestor.
  EXPECT_FALSE(entry.isElementDescendantOf("x' or '1'='1"));
  EXPECT_FALSE(entry.isElementDescendantOf("x\" or \"1\"=\"1", true));
  EXPECT_FALSE(entry.isElementDescendantOf("x' or \"1\"=\"1\" or 'a'='"));
  EXPECT_FALSE(entry.isElementDescendantOf("x'] | //*[name()='assembly"));
  EXPECT_FALSE(entry.isElementDescendantOf(std::string("assembly\0x", 10)));
  EXPECT_FALSE(entry.isElementDescendantOf("\xff\xfe"));
  EXPECT_TRUE(entry.isElementDescendantOf("windowsSettings"));
}

TEST(ManifestEntry, SetValueWritesPlainText) {
  Doc doc = Parse(kManifest);
  xmlNode* identity = Find(doc, "assemblyIdentity");
  cManifestEntryEx entry;
  entry.Attach(identity);
  ASSERT_TRUE(entry.SetValue("Payroll & <Attendance> \"2024\"", "name"));
  EXPECT_EQ(entry.GetValue("name"), "Payroll & <Attendance> \"2024\"");
  EXPECT_TRUE(entry.SetValue("a &amp; b", 0));
  EXPECT_EQ(entry.GetValue("version"), "a &amp; b");

  entry.Attach(Find(doc, "trustInfo"));
  ASSERT_TRUE(entry.SetValue("R&D <only>"));  // replaces the element's children
  EXPECT_EQ(entry.GetValue(), "R&D <only>");

  // The document written out and read back holds the same characters.
  xmlChar* text = nullptr;
  int size = 0;
  xmlDocDumpMemory(doc.get(), &text, &size);
  Doc reread = Parse(std::string(reinterpret_cast<char*>(text), static_cast<size_t>(size)));
  xmlFree(text);
  cManifestEntryEx again;
  again.Attach(Find(reread, "assemblyIdentity"));
  EXPECT_EQ(again.GetValue("name"), "Payroll & <Attendance> \"2024\"");
  EXPECT_EQ(again.GetValue("version"), "a &amp; b");
  again.Attach(Find(reread, "trustInfo"));
  EXPECT_EQ(again.GetValue(), "R&D <only>");
  EXPECT_EQ(Find(reread.get()->children, "security"), nullptr);
}

TEST(ManifestEntry, AttachRefusesWhatItCannotHold) {
  Doc doc = Parse(kManifest);
  cManifestEntryEx entry;
  xmlNode* description = Find(doc, "description");
  entry.Attach(description, 4);
  ASSERT_TRUE(entry.AddElementValueList(3, {"yes", ""}));

  ExpectError([&] { entry.Attach(nullptr); }, 380, "NULL Element Not Valid");
  ExpectError([&] { entry.Attach(description->children); }, 13, "Type mismatch");

  // 32767 attributes, linked directly: building them one by one is quadratic.
  xmlNode* wide = xmlNewChild(xmlDocGetRootElement(doc.get()), nullptr, BAD_CAST "wide", nullptr);
  xmlAttr* last = nullptr;
  for (int i = 0; i < 32767; ++i) {
    const std::string name = "a" + std::to_string(i);
    xmlAttr* a = xmlNewDocProp(doc.get(), BAD_CAST name.c_str(), BAD_CAST "v");
    a->parent = wide;
    if (last == nullptr) {
      wide->properties = a;
    } else {
      last->next = a;
      a->prev = last;
    }
    last = a;
  }
  ExpectError([&] { entry.Attach(wide, 9); }, 9, "Element has too many Attributes");
  EXPECT_EQ(entry.ManifestElement(), description);
  EXPECT_EQ(entry.isActive(), 4);
  EXPECT_EQ(entry.Flags(), 3);
  EXPECT_EQ(entry.GetValueListCount(), 1);

  // One fewer is accepted.
  xmlUnlinkNode(reinterpret_cast<xmlNode*>(last));
  xmlFreeProp(last);
  entry.Attach(wide);
  EXPECT_EQ(entry.NumberAttributes(), 32766);
  EXPECT_EQ(entry.GetAttributeIndex("a32765"), 32765);
}

TEST(ManifestEntry, ValueListsHoldAtMost32766Texts) {
  Doc doc = Parse(kManifest);
  cManifestEntryEx entry;
  entry.Attach(Find(doc, "requestedExecutionLevel"));
  ASSERT_TRUE(entry.AddElementValueList(1, {"a", "b"}));

  std::vector<std::string> values(32766, "v");
  ASSERT_TRUE(entry.AddElementValueList(2, values));
  EXPECT_EQ(entry.GetValueListCount(), 16383);
  values.pop_back();  // 32765: padded to 32766
  ASSERT_TRUE(entry.AddElementValueList(3, values));
  EXPECT_EQ(entry.GetValueListCount(), 16382);
  values.resize(32767);  // would need 32768 places
  EXPECT_FALSE(entry.AddElementValueList(4, values));
  EXPECT_EQ(entry.Flags(), 3);
  EXPECT_EQ(entry.GetValueListCount(), 16382);

  // A refused attribute list still leaves the records it made.
  EXPECT_FALSE(entry.AddAttributeValueList("uiAccess", 5, values));
  EXPECT_EQ(entry.Flags("uiAccess"), 20);
  EXPECT_EQ(entry.GetValueListCount("level"), 0);
}

TEST(ManifestEntry, WithoutAnElementEverythingIsEmpty) {
  cManifestEntryEx entry;
  cManifestEntryEx other;
  EXPECT_EQ(entry.ManifestElement(), nullptr);
  EXPECT_FALSE(entry.AddElementValueList(1, {"a", "b"}));
  EXPECT_FALSE(entry.AddAttributeValueList(0, 1, {"a", "b"}));
  EXPECT_FALSE(entry.SetValue("x"));
  EXPECT_EQ(entry.GetValue("anything"), "");
  EXPECT_EQ(entry.GetValueListCount(), std::nullopt);
  EXPECT_EQ(entry.NumberAttributes(), 0);
  EXPECT_FALSE(entry.isElementTopLevel());
  EXPECT_FALSE(entry.isElementDescendantOf("assembly"));
  EXPECT_EQ(entry.Flags(3), 0);
  entry.SetParentKey("c1");
  EXPECT_EQ(entry.parentKey(), "c1");

  ASSERT_GT(entry.Key().size(), 1u);
  EXPECT_EQ(entry.Key()[0], 'c');
  EXPECT_EQ(entry.Key().find_first_not_of("0123456789", 1), std::string::npos);
  EXPECT_NE(entry.Key(), other.Key());
  EXPECT_EQ(entry.Key(), entry.Key());
}

}  // namespace
}  // namespace manifest
