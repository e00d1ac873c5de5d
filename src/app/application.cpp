#include "app/application.h"

#include <exception>

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
