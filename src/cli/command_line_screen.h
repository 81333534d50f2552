#ifndef MDBTOMYSQL_CLI_COMMAND_LINE_SCREEN_H_
#define MDBTOMYSQL_CLI_COMMAND_LINE_SCREEN_H_

#include <functional>
#include <iosfwd>
#include <string>

#include "ui/screen.h"

namespace cli {

// How the command line shows where a long command stands.
enum class ProgressStyle {
  kTerminal,  // one line per table, redrawn in place while the table goes
  kLines,     // one plain line per table when it ends: for logs and pipes
  kQuiet,     // nothing: only messages and the result
};

// The command line's Screen. A message's text goes to `out`, its title and details to `err`.
// Progress goes to `out` in the chosen style: per item (table k of n, its name, rows done of its
// rows, rows per second and time left while it runs), a line per step without items, and when
// the command ends a summary of its items (tables, rows, seconds, rows per second).
class CommandLineScreen : public ui::Screen {
 public:
  // `clock` gives seconds from any fixed point; the steady clock unless a test sets one.
  // `width` is the terminal's width in columns, for kTerminal.
  CommandLineScreen(std::ostream& out, std::ostream& err, ProgressStyle style, int width = 80,
                    std::function<double()> clock = {});

  void MessageBox(const std::string& text, const std::string& title, ui::Icon icon,
                  const std::string& details = {}) override;
  void SetPointer(ui::Pointer) override {}
  void ShowProgress(const ui::Progress& progress) override;
  void EndProgress() override;

 private:
  // The line of the current item: while it runs (rate and time left) or once it has ended.
  std::string ItemLine(bool ended) const;
  // Draws the running line over the previous one.
  void Redraw();
  // The current item has ended: its last line stays.
  void EndItem();

  std::ostream& out_;
  std::ostream& err_;
  ProgressStyle style_;
  int width_;
  std::function<double()> clock_;

  bool showing_ = false;  // an item is current
  ui::Progress current_;
  // The item ended last: a message can end an item that then goes on, and it counts once.
  bool ended_any_ = false;
  ui::Progress last_ended_;
  double item_start_ = 0;
  double last_draw_ = 0;
  // Since the display opened: when, and what the ended items add up to.
  bool opened_ = false;
  double start_ = 0;
  int items_ended_ = 0;
  long rows_ended_ = 0;
  bool rows_counted_ = false;
};

}  // namespace cli

#endif  // MDBTOMYSQL_CLI_COMMAND_LINE_SCREEN_H_
