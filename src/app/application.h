#pragma once

#include <QApplication>

// The application object. An error that reaches an event handler ends that
// handler's action and is shown in the general error box, instead of
// ending the program.
class TerralogApplication : public QApplication {
    Q_OBJECT
public:
    TerralogApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

// Whether a window can be shown at all; false on a machine without a display
// (no platform chosen and neither DISPLAY nor WAYLAND_DISPLAY set).
bool displayAvailable();

// Brings the window the user last worked in to the front, restoring it if
// minimised: an open modal window, else the main menu once it shows, else the
// start-up window. A second start of the program asks for this.
void bringRunningInstanceForward();

// A second start found the running instance's lock in this session but no
// answer from it: the user is told so, rather than seeing the program vanish.
void tellRunningInstanceUnreachable();
