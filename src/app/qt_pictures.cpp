#include "app/qt_pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace app {
namespace {

constexpr int kSize = 16;

QPixmap Blank() {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

}  // namespace

QIcon ProgramIcon() {
  QPixmap pixmap = Blank();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  // The cylinder: body, then the top ellipse over it.
  const QColor body(40, 100, 170);
  p.setPen(QPen(QColor(20, 50, 100), 1));
  p.setBrush(body);
  p.drawRect(QRectF(1.5, 4.5, 9, 9));
  p.drawEllipse(QRectF(1.5, 11, 9, 4));
  p.setPen(Qt::NoPen);
  p.drawRect(QRectF(2, 5, 8, 8));
  p.setPen(QPen(QColor(20, 50, 100), 1));
  p.setBrush(QColor(120, 170, 230));
  p.drawEllipse(QRectF(1.5, 2.5, 9, 4));
  // The arrow to the right: the data leaving for the server.
  QPainterPath arrow;
  arrow.moveTo(8, 8);
  arrow.lineTo(12, 8);
  arrow.lineTo(12, 5.5);
  arrow.lineTo(15.5, 10);
  arrow.lineTo(12, 14.5);
  arrow.lineTo(12, 12);
  arrow.lineTo(8, 12);
  arrow.closeSubpath();
  p.setPen(QPen(QColor(120, 60, 0), 1));
  p.setBrush(QColor(250, 160, 30));
  p.drawPath(arrow);
  p.end();
  return QIcon(pixmap);
}

QPixmap BrowsePicture() {
  QPixmap pixmap = Blank();
  QPainter p(&pixmap);
  // The table: a white sheet, a blue title row and grey grid lines.
  p.fillRect(0, 1, 13, 12, Qt::white);
  p.fillRect(0, 1, 13, 3, QColor(0, 0, 128));
  p.setPen(QColor(128, 128, 128));
  for (int y = 7; y <= 10; y += 3) p.drawLine(0, y, 12, y);
  for (int x = 4; x <= 8; x += 4) p.drawLine(x, 4, x, 12);
  p.setPen(Qt::black);
  p.drawRect(0, 1, 12, 11);
  // The question mark, yellow with a dark outline so that it shows on the white sheet.
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath mark;
  mark.moveTo(8.5, 7.5);
  mark.cubicTo(8.5, 4.5, 14.5, 4.5, 14.5, 7.5);
  mark.cubicTo(14.5, 9.5, 11.5, 9.5, 11.5, 12);
  QPen outline(QColor(90, 60, 0), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.strokePath(mark, outline);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(90, 60, 0));
  p.drawEllipse(QRectF(10, 12.6, 3, 3));
  p.strokePath(mark, QPen(QColor(255, 220, 0), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(QColor(255, 220, 0));
  p.drawEllipse(QRectF(10.7, 13.3, 1.6, 1.6));
  p.end();
  return pixmap;
}

}  // namespace app
