#ifndef MDBTOMYSQL_VERIFY_ROW_MERGE_H_
#define MDBTOMYSQL_VERIFY_ROW_MERGE_H_

#include <string>
#include <vector>

#include "verify/row_stream.h"
#include "verify/table_report.h"

namespace verify {

// Walks the rows of the file and of MySQL side by side, both in `order`, and counts them into
// `report`: a key on one side only is a row missing or added, a key on both is compared cell by
// cell. `names` names the cells, for the differences ("EmpID=5: column EmpName: file 'Ann',
// MySQL 'Anne'").
void MergeRows(RowReader& file, RowReader& mysql, const KeyOrder& order,
               const std::vector<std::string>& names, TableReport* report);

}  // namespace verify

#endif  // MDBTOMYSQL_VERIFY_ROW_MERGE_H_
