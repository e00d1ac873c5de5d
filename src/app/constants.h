#pragma once

#include <QString>

// Title of the application (task bar); a second start looks for the running
// instance by this title.
inline const QString ApplicationTitle = QStringLiteral("Terralog v.1.10");
// Caption of the main menu and the title of the start-up and about windows;
// also the machine-wide value VER.
inline const QString VersionCaption = QStringLiteral("Terralog v.1.18");

// How long a control's hint stays visible.
constexpr int kHintHidePause = 20000;
