#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The program's pictures, bundled as resources (see resources/LICENSE-icons.md).
// `name` is the file name without ".png", e.g. "menu-titles".
QPixmap picture(const QString& name);
QIcon pictureIcon(const QString& name);
// The program's own icon, in all its sizes.
QIcon applicationIcon();
