#include "app/qt_twips.h"

#include <QWidget>
#include <cmath>

namespace app {

int TwipsToPixels(int twips, int dpi) {
  return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / 1440.0));
}

QRect TwipsRect(const QWidget& widget, int left, int top, int width, int height) {
  const int x_dpi = widget.logicalDpiX();
  const int y_dpi = widget.logicalDpiY();
  return QRect(TwipsToPixels(left, x_dpi), TwipsToPixels(top, y_dpi), TwipsToPixels(width, x_dpi),
               TwipsToPixels(height, y_dpi));
}

QSize TwipsSize(const QWidget& widget, int width, int height) {
  return QSize(TwipsToPixels(width, widget.logicalDpiX()),
               TwipsToPixels(height, widget.logicalDpiY()));
}

void PlaceInTwips(QWidget& child, int left, int top, int width, int height) {
  child.setGeometry(TwipsRect(child, left, top, width, height));
}

}  // namespace app
