#include "forms/frm_convert_to_mysql.h"

#include <exception>
#include <string>
#include <vector>

#include "base/error.h"
#include "db/source_session.h"

namespace forms {

void frmConvert_To_MySQL::Confirm_Click() {
  last_result_.clear();
  try {
    screen_.SetPointer(ui::Pointer::kHourglass);
    const std::string path = txtSource_Path_MDB.Text();
    if (!SourcePathExists(path)) return;
    if (!OpenSessions(path)) return;
    if (!SourceIsSound(path)) return;

    migrate_password_success_ = "NO";
    screen_.SetPointer(ui::Pointer::kArrow);
    view_.ShowPasswordPrompt(migrate_password_success_);
    if (migrate_password_success_ != "YES") return;

    screen_.SetPointer(ui::Pointer::kHourglass);
    ProgressScope progress(screen_);
    engine_ = std::make_unique<migrate::MigrationEngine>(db::SourceSession(), mysql_session_,
                                                         screen_);
    engine_->SetRowAtATime(row_at_a_time_);
    last_result_ = engine_->CreateAndInsertData_To_MYSQLTable(path);
    progress.End();
    if (last_result_ == "OK") {
      std::string details;
      const std::vector<std::string>& skipped = engine_->SkippedLinkedTables();
      if (!skipped.empty()) {
        details = "Left out because they are linked to MySQL tables already:";
        for (const std::string& table : skipped) details += "\n" + table;
      }
      Say("Your database has been successfully migrated to MySQL", "Successfully Migrated",
          details);
    }
    screen_.SetPointer(ui::Pointer::kArrow);
  } catch (const std::exception& e) {
    Say(base::DescriptionOf(e), "Error");
  } catch (...) {
    Say("An unknown error stopped the migration.", "Error");
  }
}

}  // namespace forms
