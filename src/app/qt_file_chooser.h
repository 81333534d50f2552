#ifndef MDBTOMYSQL_APP_QT_FILE_CHOOSER_H_
#define MDBTOMYSQL_APP_QT_FILE_CHOOSER_H_

#include <QStringList>

#include "filedialog/dialog_record.h"
#include "filedialog/file_chooser.h"

class QFileDialog;
class QWidget;

namespace app {

// The open and save dialogs of this platform: Qt's file dialog, set up from the dialog record and
// writing the person's choice back into it as the platform dialog would.
class QtFileChooser : public filedialog::FileChooser {
 public:
  // The dialogs are modal to `parent` (none: to the whole application).
  explicit QtFileChooser(QWidget* parent = nullptr) : parent_(parent) {}

  // Qt's dialog reads the whole record, its extended members included, as the NT family does
  // from version 5 on; the record therefore takes its extended size.
  filedialog::PlatformVersion Version() const override;
  filedialog::ChooserResult Show(filedialog::DialogRecord& record, bool is_save) override;

 private:
  QWidget* parent_;
};

// The record's filter pairs as Qt name filters: "description (pattern pattern)", the ";" between
// a pair's patterns turned into spaces.
QStringList NameFilters(const filedialog::DialogRecord& record);

// Sets `dialog` up as `record` describes it: title, initial folder, name filters and the one in
// use, preset file name, default extension, open or save, and a file mode that follows the
// must-exist and multiple-selection flags. A save dialog asks before replacing a file only with
// kOfnOverwritePrompt.
void ConfigureDialog(QFileDialog& dialog, const filedialog::DialogRecord& record, bool is_save);

}  // namespace app

#endif  // MDBTOMYSQL_APP_QT_FILE_CHOOSER_H_
