#include "verify/row_stream.h"

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cstring>

#include "migrate/value_rendering.h"
#include "verify/cell_text.h"

namespace verify {
namespace {

int Sign(int c) { return c < 0 ? -1 : c > 0 ? 1 : 0; }

int CompareNumbers(const std::string& a, const std::string& b) {
  int64_t x = 0, y = 0;
  const auto rx = std::from_chars(a.data(), a.data() + a.size(), x);
  const auto ry = std::from_chars(b.data(), b.data() + b.size(), y);
  if (rx.ec == std::errc() && ry.ec == std::errc() && rx.ptr == a.data() + a.size() &&
      ry.ptr == b.data() + b.size())
    return x < y ? -1 : x > y ? 1 : 0;
  const double dx = std::strtod(a.c_str(), nullptr), dy = std::strtod(b.c_str(), nullptr);
  if (dx != dy) return dx < dy ? -1 : 1;
  return Sign(a.compare(b));
}

int CompareBytes(const std::string& a, const std::string& b) {
  if (a.find('\\') == std::string::npos && b.find('\\') == std::string::npos)
    return Sign(a.compare(b));
  return Sign(CellBytes(a).compare(CellBytes(b)));
}

size_t RowBytes(const Row& row) {
  size_t bytes = sizeof(Row);
  for (const std::string& cell : row) bytes += cell.capacity() + sizeof(std::string);
  return bytes;
}

}  // namespace

int KeyOrder::Compare(const Row& a, const Row& b) const {
  for (size_t i = 0; i < cells_.size(); ++i) {
    const std::string& x = a[cells_[i]];
    const std::string& y = b[cells_[i]];
    const int c = numeric_[i] ? CompareNumbers(x, y) : CompareBytes(x, y);
    if (c != 0) return c;
  }
  return 0;
}

SourceRows::SourceRows(std::unique_ptr<db::Recordset> rows, const ExpectedTable& table,
                       const std::vector<const ExpectedColumn*>& compared, const KeyOrder* order,
                       long first_id, long id_step, std::function<void(long)> on_row)
    : rows_(std::move(rows)),
      compared_(compared),
      through_link_(table.through_link),
      surrogate_(table.surrogate_key),
      order_(order),
      next_id_(first_id),
      id_step_(id_step),
      on_row_(std::move(on_row)) {}

bool SourceRows::Next(Row* row) {
  if (rows_->Eof()) return false;
  row->resize(compared_.size() + (surrogate_ ? 1 : 0));
  const db::Fields& fields = rows_->Fields();
  for (size_t i = 0; i < compared_.size(); ++i) {
    const ExpectedColumn& c = *compared_[i];
    const db::Value& value = fields.Item(c.source_index).GetValue();
    std::string& cell = (*row)[i];
    cell.clear();
    if (through_link_)
      cell = StoredCell(value);
    else
      migrate::AppendTabField(c.ado_type, value, &cell);
  }
  if (surrogate_) {
    row->back() = std::to_string(next_id_);
    next_id_ += id_step_;
  }
  rows_->MoveNext();
  ++read_;
  if (on_row_) on_row_(read_);
  if (order_ != nullptr) {
    if (read_ > 1 && order_->Less(*row, previous_)) throw OutOfOrder();
    previous_ = *row;
  }
  return true;
}

bool CursorRows::Next(Row* row) {
  if (!cursor_ || !cursor_->Next(values_)) return false;
  row->resize(values_.size());
  for (size_t i = 0; i < values_.size(); ++i) (*row)[i] = StoredCell(values_[i]);
  return true;
}

// One sorted run in a temporary file, read back a row at a time.
struct SortedRows::Run {
  FILE* file = nullptr;
  Row current;
  bool has = false;
  char* line = nullptr;
  size_t line_size = 0;

  ~Run() {
    free(line);
    if (file != nullptr) fclose(file);
  }
  void Advance() {
    const ssize_t n = getline(&line, &line_size, file);
    has = n > 0;
    if (!has) return;
    current.clear();
    const char* start = line;
    const char* end = line + n - 1;  // before the line's end
    for (const char* p = start;; ++p) {
      if (p == end || *p == '\t') {
        current.emplace_back(start, p);
        if (p == end) break;
        start = p + 1;
      }
    }
  }
};

SortedRows::SortedRows(RowReader& input, const KeyOrder& order, size_t run_bytes)
    : input_(input), order_(order), run_bytes_(run_bytes) {}

SortedRows::~SortedRows() = default;

void SortedRows::SpillRun() {
  std::stable_sort(memory_.begin(), memory_.end(),
                   [this](const Row& a, const Row& b) { return order_.Less(a, b); });
  const char* tmpdir = getenv("TMPDIR");
  std::string name = std::string(tmpdir && *tmpdir ? tmpdir : "/tmp") + "/mdbtomysql-verify-XXXXXX";
  const int fd = mkstemp(name.data());
  if (fd < 0) throw std::runtime_error("cannot make a temporary file in " + name);
  unlink(name.c_str());
  auto run = std::make_unique<Run>();
  run->file = fdopen(fd, "w+");
  if (run->file == nullptr) {
    close(fd);
    throw std::runtime_error("cannot open a temporary file");
  }
  for (const Row& row : memory_) {
    for (size_t i = 0; i < row.size(); ++i) {
      if (i > 0) fputc('\t', run->file);
      fwrite(row[i].data(), 1, row[i].size(), run->file);
    }
    fputc('\n', run->file);
  }
  if (fflush(run->file) != 0 || fseek(run->file, 0, SEEK_SET) != 0)
    throw std::runtime_error(std::string("cannot write a temporary file: ") + strerror(errno));
  memory_.clear();
  runs_.push_back(std::move(run));
}

void SortedRows::Sort() {
  if (sorted_) return;
  sorted_ = true;
  size_t bytes = 0;
  Row row;
  while (input_.Next(&row)) {
    bytes += RowBytes(row);
    memory_.push_back(std::move(row));
    row = Row();
    if (bytes >= run_bytes_) {
      SpillRun();
      bytes = 0;
    }
  }
  if (runs_.empty()) {
    std::stable_sort(memory_.begin(), memory_.end(),
                     [this](const Row& a, const Row& b) { return order_.Less(a, b); });
    return;
  }
  if (!memory_.empty()) SpillRun();
  for (auto& run : runs_) run->Advance();
}

bool SortedRows::Next(Row* row) {
  Sort();
  if (runs_.empty()) {
    if (memory_next_ >= memory_.size()) return false;
    *row = std::move(memory_[memory_next_++]);
    return true;
  }
  Run* least = nullptr;
  for (auto& run : runs_)
    if (run->has && (least == nullptr || order_.Less(run->current, least->current)))
      least = run.get();
  if (least == nullptr) return false;
  *row = least->current;
  least->Advance();
  return true;
}

}  // namespace verify
