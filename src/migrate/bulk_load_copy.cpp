#include "migrate/bulk_load_copy.h"

#include <exception>
#include <future>
#include <memory>
#include <system_error>

#include "db/error.h"
#include "migrate/row_rendering.h"
#include "migrate/tab_file.h"

namespace migrate {

bool BulkLoadCopy::CopyRows(db::Recordset& rows, long* sent) {
  const BulkSession& bulk = table_.settings().bulk;
  std::unique_ptr<RowPipe> pipe;
  try {
    // Bulk mode is for a table nobody has written yet: the checks it turns off guard rows that
    // are there already.
    if (!bulk.qualifies || table_.RowsHeld() != 0) return false;
    pipe = std::make_unique<RowPipe>();
    table_.Execute(bulk.checks_off);
  } catch (const db::Error&) {
    return false;  // the exact copy has every other way
  }
  long loaded = 0;
  bool whole = false;
  try {
    whole = LoadWhole(rows, *pipe, &loaded);
  } catch (...) {
    // Whatever stops the copy, the session's checks are on again for what comes after.
    try {
      table_.Execute(bulk.checks_back);
    } catch (const db::Error&) {
      // The fault that stopped the copy is the one to show.
    }
    throw;
  }
  table_.Execute(bulk.checks_back);
  // The server reserves numbers for a load in growing blocks, and a rollback gives none back:
  // the counter is set back to follow the largest number the table holds, as after one INSERT
  // per row.
  table_.RestoreAutoIncrement();
  if (!whole) {
    if (table_.RowsHeld() != 0)
      throw db::Error(db::kProviderError, table_.mysql_table() +
                                              " still holds rows after its bulk load was rolled "
                                              "back; the migration stops here.");
    return false;
  }
  *sent = loaded;
  table_.run().loaded_rows += loaded;
  table_.run().bulk_rows += loaded;
  table_.ReportRows(*sent);
  return true;
}

bool BulkLoadCopy::LoadWhole(db::Recordset& rows, RowPipe& pipe, long* loaded) {
  db::Connection& mysql = table_.mysql();
  const std::string load = "LOAD DATA LOCAL INFILE '" + pipe.path() + "' INTO TABLE " +
                           table_.mysql_table() + " " + TabFile::kFormatClauses + " (" +
                           table_.insert_columns() + ")";
  bool whole = false;
  try {
    table_.Execute("START TRANSACTION");
    table_.SetLastStatement(load);
    // The statement runs on a second thread, where the client library reads the pipe, while
    // this thread reads the source into it. Once the statement has ended, whichever way, nobody
    // reads the pipe any more. The counts are taken in one statement right after the load: the
    // driver prepares a SELECT, and preparing clears the row count.
    std::future<bool> server = std::async(std::launch::async, [&mysql, &pipe, &load] {
      bool ran = false;
      try {
        mysql.Execute(load);
        mysql.Execute(TableCopy::kKeepLoadCounts);
        ran = true;
      } catch (const std::exception&) {
        // Refused (local_infile off, a fault of the server): the exact copy finds out why.
      }
      pipe.Abandon();
      return ran;
    });
    const Feed feed = FeedRows(rows, pipe);
    whole = server.get() && feed.complete;
    whole = whole && table_.LoadWroteExactly(feed.rows);
    // The server's own count of the statement is not trusted alone: rows it counted as written
    // have been seen to vanish when the indexes were built.
    whole = whole && table_.RowsHeld() == feed.rows;
    if (whole) {
      table_.Execute("COMMIT");
      *loaded = feed.rows;
      return true;
    }
  } catch (const db::Error&) {
    whole = false;  // a duplicate found only at COMMIT, or a server that went away
  } catch (const std::system_error&) {
    whole = false;  // no second thread could be had; the pipe was never read
  }
  try {
    table_.Execute("ROLLBACK");
  } catch (const db::Error&) {
    // A refused COMMIT has rolled the transaction back already; the count after says more.
  }
  return false;
}

BulkLoadCopy::Feed BulkLoadCopy::FeedRows(db::Recordset& rows, RowPipe& pipe) {
  const long row_limit = table_.settings().row_limit;
  Feed feed;
  try {
    std::string line;
    bool read = true;
    while (!rows.Eof() && (row_limit < 0 || feed.rows < row_limit)) {
      line.clear();
      AppendTabLine(rows.Fields(), &line);
      if (!pipe.Append(line)) {
        read = false;
        break;
      }
      ++feed.rows;
      table_.ReportRows(feed.rows);
      rows.MoveNext();
    }
    feed.complete = read;
  } catch (const std::exception&) {
    // A row that cannot be read or rendered: the exact copy meets it again and fails at it.
    feed.complete = false;
  }
  // The end of the rows ends the statement; without it the server would wait for more.
  if (!pipe.Finish()) feed.complete = false;
  return feed;
}

}  // namespace migrate
