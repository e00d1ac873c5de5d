#pragma once

#include <QString>

// Qt's own windows (the file, print and text-input dialogs, the edit boxes'
// menus) speak Romanian: qtbase_ro.qm is taken from the folder `translations`
// beside the executable, where the program ships it, else from Qt's own
// translations folder. Returns the file installed, or an empty text when
// neither holds one (the dialogs then stay as Qt wrote them).
QString installQtTranslations();
QString installQtTranslations(const QString& besideExecutable, const QString& qtFolder);
