#include "db/providers.h"

#include "base/ascii_case.h"
#include "db/connection_string_syntax.h"
#include "db/connection_strings.h"
#include "db/error.h"
#include "db/jet_provider.h"
#include "db/odbc/odbc_session.h"

namespace db {
namespace {

[[noreturn]] void RaiseProviderNotFound() {
  throw Error(3706, "Provider cannot be found. It may not be properly installed.");
}

}  // namespace

std::unique_ptr<Session> OpenSession(const std::string& connection_string) {
  const auto attributes = ParseConnectionString(connection_string);
  const std::optional<std::string> provider = FindAttribute(attributes, "Provider");
  if (!provider) return odbc::OpenDriverSession(connection_string);
  if (base::StartsWithIgnoringCase(*provider, "Microsoft.Jet.OLEDB.4.0")) {
    return OpenJetSession(connection_string);
  }
  if (base::StartsWithIgnoringCase(*provider, "MSDASQL")) {
    // The OLE DB provider for ODBC: "Data Source" names a DSN; the other pairs that ODBC knows
    // travel with it.
    std::string odbc;
    const std::optional<std::string> dsn = FindAttribute(attributes, "Data Source");
    if (dsn) odbc += DataSourceDriverString(*dsn);
    if (auto user = FindAttribute(attributes, "User ID")) odbc += "UID=" + QuoteOdbcValue(*user) + ";";
    if (auto pw = FindAttribute(attributes, "Password")) odbc += "PWD=" + QuoteOdbcValue(*pw) + ";";
    if (auto ext = FindAttribute(attributes, "Extended Properties")) odbc += *ext;
    return odbc::OpenDriverSession(odbc);
  }
  RaiseProviderNotFound();
}

}  // namespace db
