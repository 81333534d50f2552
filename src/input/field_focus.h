#ifndef MDBTOMYSQL_INPUT_FIELD_FOCUS_H_
#define MDBTOMYSQL_INPUT_FIELD_FOCUS_H_

#include <string>
#include <string_view>

#include "input/text_field.h"

namespace input {

// Focus gained: selects the whole text and paints the focus colour. An error raised by the
// field ends the helper silently; a field half set up must not break the focus change.
void FieldGotFocus(TextField& field);

inline constexpr std::string_view kGotFocus = "GotFocus";
inline constexpr std::string_view kLostFocus = "LostFocus";

// Tells whether a field was edited while it had the focus. Its focus-gained handler calls it
// with kGotFocus and the field's text (recorded, returns false); its focus-lost handler, after
// FieldLostFocus, with kLostFocus and the text FieldLostFocus left (returns whether the field's
// name and text differ from the record, comparing exactly). Any other event name returns false.
bool FieldEdited(const TextField& field, const std::string& text, std::string_view event_name);

// The record FieldEdited keeps for the whole run: the Name of the field that last gained the focus
// followed directly by its text at that moment. Empty at start, so a focus loss before any focus
// gain counts as an edit. Only FieldEdited writes it.
extern std::string FocusSnapshot;

}  // namespace input

#endif  // MDBTOMYSQL_INPUT_FIELD_FOCUS_H_
