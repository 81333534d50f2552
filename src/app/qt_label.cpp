#include "app/qt_label.h"

#include <QLabel>

#include "app/qt_twips.h"

namespace app {

QLabel* AddLabel(QWidget* parent, const char* name, const QString& caption, int left, int top,
                 int width, int height) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(name);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setAttribute(Qt::WA_TransparentForMouseEvents);
  PlaceInTwips(*label, left, top, width, height);
  label->lower();
  return label;
}

}  // namespace app
