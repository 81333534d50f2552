#ifndef MDBTOMYSQL_APP_QT_LABEL_H_
#define MDBTOMYSQL_APP_QT_LABEL_H_

#include <QString>

class QLabel;
class QWidget;

namespace app {

// A label of the windows at its place in twips, its text at the top left. Labels lie beneath
// the other controls of their parent and never take the mouse, as on the platform the windows
// were designed for: several overlap a box or a button (the prompt's message runs across OK), and
// a click there belongs to the control.
QLabel* AddLabel(QWidget* parent, const char* name, const QString& caption, int left, int top,
                 int width, int height);

}  // namespace app

#endif  // MDBTOMYSQL_APP_QT_LABEL_H_
