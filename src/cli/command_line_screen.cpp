#include "cli/command_line_screen.h"

#include <chrono>
#include <cstdio>
#include <ostream>

namespace cli {
namespace {

// Redraws closer together than this would only cost time.
constexpr double kRedrawSeconds = 0.1;

double SteadySeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// 1234567 as "1,234,567".
std::string Grouped(long n) {
  std::string digits = std::to_string(n < 0 ? -n : n);
  for (int i = int(digits.size()) - 3; i > 0; i -= 3) digits.insert(size_t(i), ",");
  return n < 0 ? "-" + digits : digits;
}

std::string Rows(long n) { return Grouped(n) + (n == 1 ? " row" : " rows"); }

std::string Seconds(double s) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.1f s", s);
  return buffer;
}

std::string Rate(long rows, double seconds) {
  if (seconds <= 0) return {};
  return ", " + Grouped(long(double(rows) / seconds)) + " rows/s";
}

// "1:05" for 65 seconds, "1:01:05" past the hour.
std::string Clock(double seconds) {
  const long s = long(seconds + 0.5);
  char buffer[32];
  if (s >= 3600)
    std::snprintf(buffer, sizeof buffer, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  else
    std::snprintf(buffer, sizeof buffer, "%ld:%02ld", s / 60, s % 60);
  return buffer;
}

// At most `columns` characters of UTF-8 `text`, so that a redrawn line never wraps.
std::string Fitted(const std::string& text, int columns) {
  int count = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (++count > columns) return text.substr(0, i);
  }
  return text;
}

bool HasRows(const ui::Progress& p) { return p.total >= 0 || p.done > 0; }

}  // namespace

CommandLineScreen::CommandLineScreen(std::ostream& out, std::ostream& err, ProgressStyle style,
                                     int width, std::function<double()> clock)
    : out_(out),
      err_(err),
      style_(style),
      width_(width > 1 ? width : 80),
      clock_(clock ? std::move(clock) : SteadySeconds) {}

void CommandLineScreen::MessageBox(const std::string& text, const std::string& title, ui::Icon,
                                   const std::string& details) {
  // A message stands below the line of the table it interrupts.
  EndItem();
  if (!title.empty()) err_ << "[" << title << "] ";
  err_.flush();
  out_ << text << "\n";
  out_.flush();
  if (!details.empty()) err_ << details << "\n";
}

void CommandLineScreen::ShowProgress(const ui::Progress& p) {
  if (style_ == ProgressStyle::kQuiet) return;
  const double now = clock_();
  if (!opened_) {
    opened_ = true;
    start_ = now;
  }
  const bool same_item = showing_ && p.step == current_.step && p.item == current_.item &&
                         p.item_name == current_.item_name;
  if (!same_item) {
    EndItem();
    showing_ = true;
    item_start_ = now;
    last_draw_ = -kRedrawSeconds;
  }
  current_ = p;
  if (style_ == ProgressStyle::kTerminal && (!same_item || now - last_draw_ >= kRedrawSeconds)) {
    last_draw_ = now;
    Redraw();
  }
}

void CommandLineScreen::EndProgress() {
  EndItem();
  if (!opened_) return;
  opened_ = false;
  if (items_ended_ > 0) {
    const double seconds = clock_() - start_;
    std::string line = std::to_string(items_ended_) + (items_ended_ == 1 ? " table" : " tables");
    if (rows_counted_) line += ", " + Rows(rows_ended_);
    line += ", " + Seconds(seconds);
    if (rows_counted_) line += Rate(rows_ended_, seconds);
    out_ << line << "\n";
  }
  out_.flush();
  items_ended_ = 0;
  ended_any_ = false;
  rows_ended_ = 0;
  rows_counted_ = false;
}

std::string CommandLineScreen::ItemLine(bool ended) const {
  const ui::Progress& p = current_;
  const double seconds = clock_() - item_start_;
  std::string line = p.step;
  if (p.items > 0)
    line += " table " + std::to_string(p.item) + " of " + std::to_string(p.items) + ": " +
            p.item_name;
  if (HasRows(p)) {
    line += ", ";
    line += p.total >= 0 && !(ended && p.done == p.total) ? Grouped(p.done) + " of " + Rows(p.total)
                                                         : Rows(p.done);
  }
  if (ended) return line + ", " + Seconds(seconds);
  if (HasRows(p) && seconds > 0 && p.done > 0) {
    line += Rate(p.done, seconds);
    const double per_row = seconds / double(p.done);
    if (p.total > p.done) line += ", " + Clock(per_row * double(p.total - p.done)) + " left";
  }
  return line;
}

void CommandLineScreen::Redraw() {
  // Back to the line's start, the new text, the rest of the old one cleared.
  out_ << "\r" << Fitted(ItemLine(false), width_ - 1) << "\x1b[K";
  out_.flush();
}

void CommandLineScreen::EndItem() {
  if (!showing_) return;
  showing_ = false;
  if (current_.items > 0) {
    const bool again = ended_any_ && last_ended_.step == current_.step &&
                       last_ended_.item == current_.item &&
                       last_ended_.item_name == current_.item_name;
    if (!again) ++items_ended_;
    if (HasRows(current_)) {
      rows_counted_ = true;
      rows_ended_ += current_.done - (again ? last_ended_.done : 0);
    }
    ended_any_ = true;
    last_ended_ = current_;
  }
  if (style_ == ProgressStyle::kQuiet) return;
  const std::string line = ItemLine(true);
  if (style_ == ProgressStyle::kTerminal)
    out_ << "\r" << Fitted(line, width_ - 1) << "\x1b[K\n";
  else
    out_ << line << "\n";
  out_.flush();
}

}  // namespace cli
