#include "forms/frm_convert_to_mysql.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "db/dsn_registration.h"
#include "db/error.h"
#include "db/source_session.h"
#include "forms/path_helpers.h"
#include "input/date_time_stamp.h"
#include "jet/lock_file.h"
#include "links/backup_copy.h"

namespace forms {
namespace {

using ui::Pointer;

constexpr const char* kConnectionFail = "Connection Fail";
constexpr const char* kError = "Error";

std::string WithoutEvery(std::string text, char c) {
  std::erase(text, c);
  return text;
}

}  // namespace

void frmConvert_To_MySQL::cmdCreate_MySQL_Connection_Click() {
  last_link_result_.clear();
  last_backup_.clear();
  link_refresh_.reset();
  try {
    screen_.SetPointer(Pointer::kHourglass);
    const std::string path = txtSource_Path_MDB.Text();
    if (!SourcePathExists(path)) return;
    // For this command the MySQL session only proves that the server can be reached; the links
    // use the data source.
    if (!OpenSessions(path)) return;
    if (!SourceIsSound(path)) return;

    ProgressScope progress(screen_);
    screen_.ShowProgress(ui::Progress::Step("Backup copy"));
    if (!BackUpSource(path)) return;

    if (!OpenSource(path)) return;
    screen_.ShowProgress(ui::Progress::Step("Registering the data source"));
    // As typed, spaces and all: the data source is registered under the database field's text.
    if (!db::AddMYSQLDSNConnection(txtDatabase.Text(), "", txtTCP_IP_Server.Text(),
                                   txtDatabase.Text(), txtUser.Text(), txtPassword.Text(),
                                   txtPort.Text())) {
      screen_.SetPointer(Pointer::kArrow);
      return;
    }
    RelinkTables(path, progress);
  } catch (const db::Error& e) {
    if (e.number() == 70) {
      Say("Permission denied, please make sure no one is currently accessing VELDA.mdb.", kError,
          e.description());
    } else {
      Say(e.description(), kError);
    }
  } catch (const std::exception& e) {
    Say(e.what(), kError);
  } catch (...) {
    Say("An unknown error stopped the refresh of the linked tables.", kError);
  }
}

bool frmConvert_To_MySQL::BackUpSource(const std::string& path) {
  input::StampDateTime();
  const std::optional<std::string> backup = links::BackupPath(
      path, WithoutEvery(input::StampDate, '-'), WithoutEvery(input::StampTime, ':'));
  if (!backup) {
    // Refused before anything changes: the copy would get a fixed name, and the next run
    // would overwrite it with the relinked file.
    Say("Cannot make a dated backup copy of " + path +
            ": its name does not end in \".mdb\". Nothing was changed.",
        kError);
    return false;
  }
  if (db::SourceSession().State() == db::kAdStateOpen) db::SourceSession().Close();
  // Access keeps a lock file beside a database it has open; the copy would catch it mid-write.
  if (const std::string lock = jet::LiveLockFile(path); !lock.empty()) {
    throw db::Error(70, "Permission denied: the lock file " + lock + " shows " + path +
                            " open in another program");
  }
  // From the path as typed: the file the session opened, outer blanks and all.
  links::DurableCopy(path, *backup);
  if (!FileExists(*backup)) {
    Say("Fail to create MySQL connection.", kConnectionFail);
    return false;
  }
  last_backup_ = *backup;
  return true;
}

void frmConvert_To_MySQL::RelinkTables(const std::string& path, ProgressScope& progress) {
  screen_.SetPointer(Pointer::kHourglass);
  link_refresh_ = std::make_unique<links::LinkRefresh>(path, txtDatabase.Text(), screen_,
                                                       dao_opener_);
  const std::string result = link_refresh_->RefreshODBCLinks(txtDatabase.Text());
  const links::LinkRefresh::Outcome& outcome = link_refresh_->outcome();
  if (!outcome.file_error.empty()) {
    // The file itself failed: it is left as the engine's write order leaves it, and the backup
    // copy is the way back.
    progress.End();
    Say(outcome.file_error, kError, RelinkDetails());
    return;
  }
  // Without a table list nothing was linked; with a table dropped and not linked the front end
  // lacks it; with nothing linked the flag would claim a MySQL front end that does not exist.
  if (result != "SUCCESS" || outcome.linked.empty() || !outcome.dropped_not_linked.empty()) {
    progress.End();
    Say("Fail to create MySQL connection.", kConnectionFail, RelinkDetails());
    return;
  }
  screen_.ShowProgress(ui::Progress::Step("Setting the flag ISMySQLDB"));
  db::SourceSession().Execute("UPDATE tblSystem_Parameter_A SET ISMySQLDB = 'YES'");
  progress.End();

  last_link_result_ = "SUCCESS";
  Say("MySQL connection has been successfully created.", "MySQL connection", RelinkDetails());
  screen_.SetPointer(Pointer::kArrow);
}

std::string frmConvert_To_MySQL::RelinkDetails() const {
  const links::LinkRefresh::Outcome& outcome = link_refresh_->outcome();
  std::string details;
  auto list = [&details](const char* heading, const std::vector<std::string>& tables) {
    if (tables.empty()) return;
    if (!details.empty()) details += "\n";
    details += heading;
    for (const std::string& table : tables) details += "\n" + table;
  };
  if (!outcome.failure.empty()) details = outcome.failure;
  list("Dropped and not linked (they are in the backup copy):", outcome.dropped_not_linked);
  std::vector<std::string> kept;
  for (const std::string& table : outcome.not_linked) {
    if (std::find(outcome.dropped_not_linked.begin(), outcome.dropped_not_linked.end(), table) ==
        outcome.dropped_not_linked.end()) {
      kept.push_back(table);
    }
  }
  list("Not linked:", kept);
  list("Left alone, not names a table can have:", outcome.skipped_names);
  if (!details.empty()) details += "\n";
  return details + "Backup copy: " + last_backup_;
}

}  // namespace forms
