#ifndef MDBTOMYSQL_APP_QT_TWIPS_H_
#define MDBTOMYSQL_APP_QT_TWIPS_H_

#include <QRect>
#include <QSize>

class QWidget;

namespace app {

// The windows are laid out in twips (1440 to the logical inch), as they were designed; these
// turn twips into pixels at the logical DPI of the screen `widget` is on. Each of left, top,
// width and height is rounded on its own, so that a control's size never depends on its place.
int TwipsToPixels(int twips, int dpi);
QRect TwipsRect(const QWidget& widget, int left, int top, int width, int height);
QSize TwipsSize(const QWidget& widget, int width, int height);

// Lays `child` out at the given twips, relative to its parent.
void PlaceInTwips(QWidget& child, int left, int top, int width, int height);

}  // namespace app

#endif  // MDBTOMYSQL_APP_QT_TWIPS_H_
