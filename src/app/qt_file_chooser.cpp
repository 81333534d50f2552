#include "app/qt_file_chooser.h"

#include <QFileDialog>
#include <QString>
#include <string>
#include <vector>

#include "filedialog/chosen_files.h"

namespace app {
namespace {

using filedialog::DialogRecord;

// A record text up to its first NUL: a preset name fills its buffer only partly.
QString UpToNul(const std::u16string& text) {
  return QString::fromStdU16String(text.substr(0, text.find(u'\0')));
}

// The 1-based position of `selected` among `filters`; 0 when it is none of them. Qt gives the
// selected filter as it shows it, without its "(patterns)" part.
int32_t FilterIndexOf(const QStringList& filters, const QString& selected) {
  for (qsizetype i = 0; i < filters.size(); ++i) {
    const QString& filter = filters[i];
    if (filter == selected ||
        filter.left(filter.lastIndexOf(QStringLiteral(" ("))).trimmed() == selected) {
      return static_cast<int32_t>(i + 1);
    }
  }
  return 0;
}

}  // namespace

filedialog::PlatformVersion QtFileChooser::Version() const { return {true, 2, 5}; }

QStringList NameFilters(const DialogRecord& record) {
  // "description NUL pattern NUL ... NUL": two NULs in a row end the list.
  std::vector<QString> parts;
  size_t start = 0;
  while (start < record.filter.size()) {
    size_t end = record.filter.find(u'\0', start);
    if (end == std::u16string::npos) end = record.filter.size();
    if (end == start) break;
    parts.push_back(QString::fromStdU16String(record.filter.substr(start, end - start)));
    start = end + 1;
  }
  QStringList filters;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    filters << parts[i] + QStringLiteral(" (") + patterns.simplified() + QLatin1Char(')');
  }
  return filters;
}

void ConfigureDialog(QFileDialog& dialog, const DialogRecord& record, bool is_save) {
  // Qt's own dialog: the desktop's native one would not honour every setting below.
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  // The description alone is shown, as the platform's dialog shows it.
  dialog.setOption(QFileDialog::HideNameFilterDetails, true);
  const QString title = QString::fromStdU16String(record.title);
  dialog.setWindowTitle(!title.isEmpty() ? title
                        : is_save        ? QFileDialog::tr("Save As")
                                         : QFileDialog::tr("Open"));

  QString folder = QString::fromStdU16String(record.initial_dir);
  // The dialog class ends every folder with the platform's backslash; here "/" separates.
  if (folder.size() > 1 && folder.endsWith(QLatin1Char('\\'))) folder.chop(1);
  if (!folder.isEmpty()) dialog.setDirectory(folder);

  const QStringList filters = NameFilters(record);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    const int chosen = record.filter_index >= 1 && record.filter_index <= filters.size()
                           ? record.filter_index - 1
                           : 0;
    dialog.selectNameFilter(filters[chosen]);
  }

  dialog.setDefaultSuffix(QString::fromStdU16String(record.default_ext));
  if (is_save) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite,
                     (record.flags & filedialog::kOfnOverwritePrompt) == 0);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (record.flags & filedialog::kOfnAllowMultiSelect) {
      dialog.setFileMode(QFileDialog::ExistingFiles);
    } else if (record.flags & filedialog::kOfnFileMustExist) {
      dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
      dialog.setFileMode(QFileDialog::AnyFile);
    }
  }
  const QString preset = UpToNul(record.file);
  if (!preset.isEmpty()) dialog.selectFile(preset);
}

filedialog::ChooserResult QtFileChooser::Show(DialogRecord& record, bool is_save) {
  QFileDialog dialog(parent_);
  ConfigureDialog(dialog, record, is_save);
  if (dialog.exec() != QDialog::Accepted) return {false, 0};

  const int32_t filter = FilterIndexOf(dialog.nameFilters(), dialog.selectedNameFilter());
  if (filter > 0) record.filter_index = filter;
  std::vector<std::u16string> paths;
  for (const QString& path : dialog.selectedFiles()) paths.push_back(path.toStdU16String());
  const uint32_t code = filedialog::StoreChosenFiles(record, paths);
  return {code == 0, code};
}

}  // namespace app
