#ifndef MDBTOMYSQL_APP_QT_PICTURES_H_
#define MDBTOMYSQL_APP_QT_PICTURES_H_

#include <QIcon>
#include <QPixmap>

namespace app {

// The windows' 16 x 16 icon: a database cylinder with an arrow leaving it.
QIcon ProgramIcon();

// The browse button's 16 x 16 picture: a table grid with a yellow question mark.
QPixmap BrowsePicture();

}  // namespace app

#endif  // MDBTOMYSQL_APP_QT_PICTURES_H_
