#include "app/application.h"

#include <exception>

#include "app/main_menu.h"
#include "app/message_dialog.h"
#include "app/startup_window.h"
#include "platform/dialogs.h"

TerralogApplication::TerralogApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TerralogApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        platform::showErrorBox(QString::fromUtf8(e.what()));
    } catch (...) {
        platform::showErrorBox(QStringLiteral("Eroare necunoscuta."));
    }
    return false;
}

bool displayAvailable() {
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return true;
#else
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#endif
}

void bringRunningInstanceForward() {
    QWidget* window = QApplication::activeModalWidget();
    if (!window) window = TForm3::instance().isVisible() || !TForm1::exists() ? static_cast<QWidget*>(&TForm3::instance())
                                                                              : &TForm1::instance();
    if (window->isMinimized()) window->showNormal();
    window->raise();
    window->activateWindow();
}

void tellRunningInstanceUnreachable() {
    Mesaj(QStringLiteral("Terralog"),
          QStringLiteral("\rTerralog este deja pornit in aceasta sesiune, dar nu raspunde."
                         "\rInchideti-l si porniti programul din nou."),
          mkError, mbOk);
}
