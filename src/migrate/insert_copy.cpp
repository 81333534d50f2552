#include "migrate/insert_copy.h"

#include <exception>

#include "db/error.h"
#include "migrate/row_rendering.h"

namespace migrate {

void InsertCopy::CopyRows(db::Recordset& rows, long* sent) {
  const CopySettings& settings = table_.settings();
  RowBatch batch(table_.head(), settings.batch_bytes, settings.batch_rows);
  std::string values;
  std::exception_ptr failure;
  while (!rows.Eof()) {
    if (settings.row_limit >= 0 && *sent + long(batch.size()) >= settings.row_limit) break;
    try {
      values = InsertValues(rows.Fields());
    } catch (const db::Error&) {
      failure = std::current_exception();
      break;
    }
    if (!values.empty()) {
      if (settings.row_at_a_time) {
        table_.Insert(table_.head() + values + ")");
        ++*sent;
        table_.ReportRows(*sent);
      } else {
        batch.Add(values);
        if (batch.Full()) {
          SendBatch(batch, sent);
          table_.ReportRows(*sent);
        }
      }
    }
    try {
      rows.MoveNext();
    } catch (const db::Error&) {
      failure = std::current_exception();
      break;
    }
  }
  if (!batch.empty()) SendBatch(batch, sent);
  if (failure) {
    // The failure shows the last statement one INSERT per row would have sent.
    if (!settings.row_at_a_time) table_.ShowLastRowSent(*sent);
    std::rethrow_exception(failure);
  }
}

void InsertCopy::ReplayRows(long count, long* sent) {
  std::unique_ptr<db::Recordset> rows = table_.OpenSourceAt(*sent);
  RowBatch batch(table_.head(), table_.settings().batch_bytes, table_.settings().batch_rows);
  for (long left = count; left > 0 && !rows->Eof(); --left) {
    batch.Add(InsertValues(rows->Fields()));
    if (batch.Full()) SendBatch(batch, sent);
    rows->MoveNext();
  }
  if (!batch.empty()) SendBatch(batch, sent);
}

void InsertCopy::SendBatch(RowBatch& batch, long* sent) {
  try {
    table_.Insert(batch.Statement());
    *sent += long(batch.size());
    batch.Clear();
    return;
  } catch (const db::Error& e) {
    if (e.number() != db::kProviderError) throw;
  }
  // A table that keeps the rows before the refused one (MyISAM) keeps them, and the
  // auto-increment counter goes back to where it stood.
  long kept = table_.RowsHeld() - *sent;
  if (kept < 0 || size_t(kept) > batch.size()) kept = 0;
  table_.RestoreAutoIncrement();
  *sent += kept;
  for (size_t i = size_t(kept); i < batch.size(); ++i) {
    table_.Insert(batch.SingleStatement(i));
    ++*sent;
  }
  batch.Clear();
}

}  // namespace migrate
