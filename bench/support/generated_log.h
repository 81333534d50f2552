// A source session that makes up an attendance log of any length while it is read, one row at a
// time, shaped like tblAttendance_Log of the benchmark file: the Jet engine cannot write new rows,
// and a scripted table held in memory would measure itself, not the copy.
#ifndef MDBTOMYSQL_BENCH_GENERATED_LOG_H_
#define MDBTOMYSQL_BENCH_GENERATED_LOG_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "db/error.h"
#include "db/field.h"
#include "db/session.h"

namespace bench {

class GeneratedLogCursor : public db::Cursor {
 public:
  GeneratedLogCursor(const std::vector<db::FieldInfo>& columns, long rows)
      : columns_(columns), rows_(rows) {}
  const std::vector<db::FieldInfo>& Columns() const override { return columns_; }

  bool Next(std::vector<db::Value>& row) override {
    if (next_ >= rows_) return false;
    const long id = ++next_;
    static const char* const kNotes[] = {"late",
                                         "sick",
                                         "O'Brien's shift",
                                         "\xE6\x97\xA9\xE9\x80\x80",
                                         "\xC3\x9C"
                                         "berstunden",
                                         "ok"};
    seconds_ += 5 + long(Random() % 240);
    row.resize(columns_.size());
    row[0] = db::Value::Integer(id);
    row[1] = db::Value::Integer(1 + int64_t(Random() % 2000));
    row[2] = db::Value::Date(DateOf(seconds_));
    row[3] = db::Value::Text("T" + std::to_string(1 + Random() % 12));
    row[4] = db::Value::Text(id % 2 ? "I" : "O");
    row[5] = db::Value::Boolean(Random() % 10 != 0);
    row[6] = Random() % 50 == 0 ? db::Value::Null()
                                : db::Value::Double(35.5 + double(Random() % 25) / 10);
    const uint64_t note = Random() % 100;
    row[7] = note < 70 ? db::Value::Null() : db::Value::Text(kNotes[note % 6]);
    return true;
  }

 private:
  uint64_t Random() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return state_ >> 33;
  }
  // 2022-01-01 plus `seconds`, in a civil calendar of 28-day months: the values only need to
  // look like times of day and grow.
  static db::DateTime DateOf(long seconds) {
    db::DateTime t;
    const long days = seconds / 86400;
    t.year = int(2022 + days / 336);
    t.month = int(1 + days / 28 % 12);
    t.day = int(1 + days % 28);
    t.hour = int(seconds / 3600 % 24);
    t.minute = int(seconds / 60 % 60);
    t.second = int(seconds % 60);
    return t;
  }

  const std::vector<db::FieldInfo>& columns_;
  long rows_;
  long next_ = 0;
  long seconds_ = 0;
  uint64_t state_ = 20220101;
};

class GeneratedLog : public db::Session {
 public:
  static constexpr const char* kTable = "tblGenerated_Log";

  explicit GeneratedLog(long rows) : rows_(rows) {
    // 90 is what an AutoNumber column reports; 0x60 a nullable text, 0x70 a nullable number.
    columns_ = {{"LogID", db::ado_type::kInteger, 4, 90, 0, 0},
                {"EmpID", db::ado_type::kInteger, 4, 0x70, 0, 0},
                {"LogTime", db::ado_type::kDate, 8, 0x70, 0, 0},
                {"Terminal", db::ado_type::kVarWChar, 20, 0x60, 0, 0},
                {"InOut", db::ado_type::kVarWChar, 1, 0x60, 0, 0},
                {"Verified", db::ado_type::kBoolean, 2, 0x10, 0, 0},
                {"Temp", db::ado_type::kDouble, 8, 0x70, 0, 0},
                {"Note", db::ado_type::kVarWChar, 100, 0x60, 0, 0}};
  }
  const std::vector<db::FieldInfo>& columns() const { return columns_; }

  std::unique_ptr<db::Cursor> Execute(const std::string& text) override {
    if (text != std::string("SELECT * FROM ") + kTable)
      throw db::Error(db::kProviderError, "the generated log has no answer to: " + text);
    return std::make_unique<GeneratedLogCursor>(columns_, rows_);
  }
  std::vector<db::CatalogTable> ReadCatalog() override {
    return {
        {kTable, {{"PrimaryKey", true, true, {{"LogID"}}}, {"EmpID", false, false, {{"EmpID"}}}}}};
  }

 private:
  long rows_;
  std::vector<db::FieldInfo> columns_;
};

}  // namespace bench

#endif  // MDBTOMYSQL_BENCH_GENERATED_LOG_H_
