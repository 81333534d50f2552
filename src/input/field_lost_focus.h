#ifndef MDBTOMYSQL_INPUT_FIELD_LOST_FOCUS_H_
#define MDBTOMYSQL_INPUT_FIELD_LOST_FOCUS_H_

#include "input/field_kind.h"
#include "input/text_field.h"
#include "ui/screen.h"

namespace input {

// Focus lost: paints the normal background and, by kind, completes, normalises and checks the
// text, telling the person on `screen` what is wrong.
//
// - Numbers (200, 201, 202, 203): empty becomes zero, ".5" becomes "0.5", and the text is written
//   with 0, 2, 4 or 3 decimals, rounded half away from zero. A text that is not a number stays as
//   it is and the focus goes back to the field, without a message.
// - Dates (301): "ddMMyyyy" and any 10-character text become "dd-MM-yyyy", then CheckDate.
// - Months (302): "7" becomes "07"; outside 1 to 12 the focus goes back with "Invalid month.".
// - Month and year (303): "MMyyyy" becomes "MM-yyyy", then CheckMonthYear.
// - Times (304): "HHmm" becomes "HH:mm" and "HH" becomes "HH:00", then CheckTime; a rejected
//   time is emptied.
// An empty date, month or time field is left alone. A rejected date or month-and-year stays in
// the field and the focus goes back to it.
//
// Returns false only when a date, month-and-year or time was rejected; a number or month sent
// back to the field still gives true. The focus-lost handler calls FieldEdited afterwards with
// the text this left in the field.
bool FieldLostFocus(TextField& field, FieldKind kind, ui::Screen& screen);

}  // namespace input

#endif  // MDBTOMYSQL_INPUT_FIELD_LOST_FOCUS_H_
