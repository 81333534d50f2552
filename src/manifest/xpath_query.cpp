#include "manifest/xpath_query.h"

#include <libxml/xpath.h>

#include <memory>
#include <new>

#include "base/error.h"
#include "manifest/xml_node.h"

namespace manifest {
namespace {

// E_FAIL: the XPath engine could not evaluate an expression.
constexpr long kDomFailure = -2147467259;

void IgnoreXmlError(void*, xmlErrorPtr) {}

struct XPathContextDeleter {
  void operator()(xmlXPathContext* context) const { xmlXPathFreeContext(context); }
};
struct XPathObjectDeleter {
  void operator()(xmlXPathObject* object) const { xmlXPathFreeObject(object); }
};

}  // namespace

std::string XPathLiteral(const std::string& text) {
  if (text.find('\'') == std::string::npos) return "'" + text + "'";
  if (text.find('"') == std::string::npos) return "\"" + text + "\"";
  std::string literal = "concat('";
  for (char c : text) {
    if (c == '\'') {
      literal += "', \"'\", '";
    } else {
      literal += c;
    }
  }
  return literal + "')";
}

bool XPathFindsNodes(xmlNode* node, const std::string& expression) {
  std::unique_ptr<xmlXPathContext, XPathContextDeleter> context(xmlXPathNewContext(node->doc));
  if (!context) throw std::bad_alloc();
  context->node = node;
  context->error = IgnoreXmlError;
  std::unique_ptr<xmlXPathObject, XPathObjectDeleter> result(
      xmlXPathEvalExpression(Xml(expression), context.get()));
  if (!result) {
    throw base::Error(kDomFailure, "The XPath expression " + expression + " could not be evaluated");
  }
  return result->type == XPATH_NODESET && result->nodesetval != nullptr &&
         result->nodesetval->nodeNr > 0;
}

}  // namespace manifest
