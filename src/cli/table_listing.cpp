#include "cli/table_listing.h"

#include "cli/export_text.h"

namespace cli {
namespace {

std::string ColumnDescription(const jet::Column& c) {
  std::string text = jet::TypeName(c.type);
  auto size = [&text](int n) {
    text.append("(");
    text.append(std::to_string(n));
    text.append(")");
  };
  if (c.type == jet::kTypeText) size(c.max_characters());
  if (c.type == jet::kTypeBinary) size(c.length);
  if (c.type == jet::kTypeDecimal) {
    text.append("(");
    text.append(std::to_string(c.precision));
    text.append(",");
    text.append(std::to_string(c.scale));
    text.append(")");
  }
  if (c.fixed() && (c.type == jet::kTypeText || c.type == jet::kTypeBinary)) text.append(" fixed");
  if (c.autonumber() || c.autonumber_guid()) text.append(" autonumber");
  if (c.hyperlink()) text.append(" hyperlink");
  return text;
}

}  // namespace

void AppendTableListing(jet::Database& db, const jet::CatalogueEntry& t, std::string* out) {
  AppendEscaped(t.name, out);
  out->append("\t");
  out->append(jet::KindName(t.kind));
  if (t.kind == jet::TableKind::kLinkedOdbc) {
    out->append("\tconnect=ODBC;");  // as DAO shows it; the file stores it without the prefix
    AppendEscaped(t.connect, out);
    out->append("\tforeign name=");
    AppendEscaped(t.foreign_name, out);
  } else if (t.kind == jet::TableKind::kLinkedAccess) {
    out->append("\tdatabase=");
    AppendEscaped(t.database, out);
    out->append("\tforeign name=");
    AppendEscaped(t.foreign_name, out);
  }
  if (t.table_def == 0) {
    out->append("\n");
    return;
  }
  const jet::TableDef& def = db.GetTableDef(t.name);
  if (t.kind == jet::TableKind::kLocal || t.kind == jet::TableKind::kSystem) {
    out->append("\trows=");
    out->append(std::to_string(def.row_count));
  }
  out->append("\n");
  for (const jet::Column& c : def.columns) {
    out->append("\tcolumn\t");
    AppendEscaped(c.name, out);
    out->append("\t");
    out->append(ColumnDescription(c));
    out->append("\n");
  }
  for (const jet::Index& x : def.indexes) {
    out->append("\tindex\t");
    AppendEscaped(x.name, out);
    out->append(x.primary_key   ? "\tprimary key"
                : x.foreign_key ? "\tforeign key"
                : x.unique      ? "\tunique"
                                : "\t");
    out->append("\t");
    for (size_t i = 0; i < x.columns.size(); ++i) {
      if (i > 0) out->append(", ");
      AppendEscaped(x.columns[i].name, out);
      if (!x.columns[i].ascending) out->append(" DESC");
    }
    out->append("\n");
  }
}

}  // namespace cli
