#include "migrate/load_data_copy.h"

#include <algorithm>
#include <future>
#include <memory>

#include "base/ascii_case.h"
#include "db/error.h"
#include "db/mysql_quoting.h"
#include "migrate/column_translation.h"
#include "migrate/row_rendering.h"
#include "migrate/value_rendering.h"

namespace migrate {

bool LoadDataCopy::Carries(TableCopy& table, const db::Fields& fields) {
  // Every column must have an entry in each row, or the rows' fields would not line up with the
  // column list.
  if (fields.Count() == 0) return false;
  std::string probe;
  for (int i = 0; i < fields.Count(); ++i)
    if (!AppendTabField(fields.Item(i).Type(), db::Value::Null(), &probe)) return false;
  // Only a transaction can take a refused file back whole, so tables of engines without one
  // (MyISAM) get INSERTs, which stop at the refused row.
  try {
    std::unique_ptr<db::Recordset> engine = table.mysql().Execute(
        "SELECT ENGINE FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() "
        "AND TABLE_NAME = " + db::QuoteMySqlText(table.mysql_table()));
    return !engine->Eof() && base::ToLowerAscii(engine->Fields().Item(0).GetValue().ToString()) == "innodb";
  } catch (const db::Error& e) {
    if (e.number() != db::kProviderError) throw;
    return false;  // a server that will not say: INSERTs are right for every engine
  }
}

void LoadDataCopy::CopyRows(db::Recordset& rows, long* sent) {
  std::unique_ptr<TabFile> files[2];
  try {
    files[0] = std::make_unique<TabFile>();
    files[1] = std::make_unique<TabFile>();
  } catch (const TabFileError&) {
    // No private file can be made (a full or read-only temporary folder): INSERTs need none.
    table_.run().temp_files_failed = true;
    inserts_.CopyRows(rows, sent);
    return;
  }
  // While the server loads one file, a second thread reads and writes the next one. Only one
  // thread at a time touches the source: this thread waits for the reader before it reads the
  // source again itself.
  const long chunk_rows = table_.settings().chunk_rows;
  long read = *sent;
  int current = 0;
  Chunk chunk = FillChunk(rows, *files[current],
                          std::min(chunk_rows, CopySettings::kFirstChunkRows), &read);
  while (chunk.rows > 0 || chunk.failure || chunk.file_failed) {
    if (chunk.file_failed) {
      table_.run().temp_files_failed = true;
      FinishByInsert(rows, chunk, sent);
      return;
    }
    std::future<Chunk> next;
    if (chunk.more)
      next = std::async(std::launch::async, [this, &rows, &files, current, &read, chunk_rows] {
        return FillChunk(rows, *files[1 - current], chunk_rows, &read);
      });
    if (chunk.rows > 0) {
      if (LoadChunk(files[current]->path(), chunk.rows)) {
        *sent += chunk.rows;
        table_.run().loaded_rows += chunk.rows;
      } else {
        // The server took none of the file: the INSERTs decide which rows it accepts.
        if (next.valid()) next.wait();
        inserts_.ReplayRows(chunk.rows, sent);
      }
      table_.ReportRows(*sent);
    }
    if (chunk.failure) {
      table_.ShowLastRowSent(*sent);
      std::rethrow_exception(chunk.failure);
    }
    if (!next.valid()) return;
    chunk = next.get();
    current = 1 - current;
    if (table_.run().load_data_refused) {
      FinishByInsert(rows, chunk, sent);
      return;
    }
  }
}

void LoadDataCopy::FinishByInsert(db::Recordset& rows, const Chunk& chunk, long* sent) {
  if (chunk.rows > 0) inserts_.ReplayRows(chunk.rows, sent);
  if (chunk.failure) {
    table_.ShowLastRowSent(*sent);
    std::rethrow_exception(chunk.failure);
  }
  inserts_.CopyRows(rows, sent);
}

LoadDataCopy::Chunk LoadDataCopy::FillChunk(db::Recordset& rows, TabFile& file, long limit,
                                            long* read) {
  const long row_limit = table_.settings().row_limit;
  Chunk chunk;
  try {
    file.Clear();
    std::string line;
    while (!rows.Eof() && (row_limit < 0 || *read < row_limit)) {
      if (chunk.rows >= limit || file.bytes() >= table_.settings().chunk_bytes) {
        chunk.more = true;
        break;
      }
      line.clear();
      AppendTabLine(rows.Fields(), &line);
      file.Append(line);
      ++chunk.rows;
      ++*read;
      rows.MoveNext();
    }
    file.Flush();
  } catch (const TabFileError&) {
    // The rows read so far are not all in the file: they go as INSERTs, read again, and the row
    // this file could not take after them.
    chunk.file_failed = true;
  } catch (const db::Error&) {
    // The rows before the one that cannot be read or rendered still go in.
    chunk.failure = std::current_exception();
  }
  return chunk;
}

bool LoadDataCopy::LoadChunk(const std::string& path, long rows) {
  for (int attempt = 1;; ++attempt) {
    try {
      return LoadChunkOnce(path, rows);
    } catch (const db::Error& e) {
      // A node of the cluster going away can refuse the file's transaction at any statement;
      // nothing of it is kept, and the file goes again whole.
      if (!RecoverFromHiccup(table_.mysql(), table_.settings().cluster, e, attempt)) throw;
    }
  }
}

bool LoadDataCopy::LoadChunkOnce(const std::string& path, long rows) {
  table_.Execute("START TRANSACTION");
  bool whole = false;
  try {
    table_.Execute("LOAD DATA LOCAL INFILE '" + path + "' INTO TABLE " + table_.mysql_table() +
                   " " + TabFile::kFormatClauses + " (" + table_.insert_columns() + ")" +
                   LoadDataNumbering(table_.mysql(), table_.settings().cluster,
                                     table_.mysql_table(), table_.insert_columns()));
    // A clean load took every line. (Should the driver ever prepare the SET that keeps the
    // counts too, the count reads 0 and the file goes as INSERTs: slower, never wrong.)
    table_.mysql().Execute(TableCopy::kKeepLoadCounts);
    whole = table_.LoadWroteExactly(rows);
  } catch (const db::Error& e) {
    if (e.number() != db::kProviderError || IsClusterHiccup(table_.settings().cluster, e)) throw;
    table_.run().load_data_refused = true;
  }
  table_.Execute(whole ? "COMMIT" : "ROLLBACK");
  // InnoDB numbers the rows of one LOAD DATA consecutively but reserves numbers for it in
  // growing blocks, and a rollback does not give numbers back: either way the counter is set
  // back to follow the largest number the table holds.
  table_.RestoreAutoIncrement();
  return whole;
}

}  // namespace migrate
