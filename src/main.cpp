// Entry point: creates the windows of every layer, once, in their fixed order.
#include <cstdio>

#include <QPalette>
#include <QToolTip>

#include "app/application.h"
#include "app/constants.h"
#include "app/version.h"
#include "app/pictures.h"
#include "app/qt_translations.h"
#include "platform/single_instance.h"
#include "program_windows.h"

int main(int argc, char** argv) {
    if (!displayAvailable()) {
        std::fprintf(stderr,
                     "Terralog is a desktop program and this session has no display.\n"
                     "Start it on a virtual display instead:  xvfb-run -a %s\n",
                     argc > 0 ? argv[0] : "terralog");
        return 1;
    }
    TerralogApplication app(argc, argv);
    installQtTranslations();

    platform::SingleInstance single(ApplicationTitle);
    switch (single.claim()) {
    case platform::SingleInstance::Claim::Own: break;
    case platform::SingleInstance::Claim::RunningAsked: return 0;
    case platform::SingleInstance::Claim::RunningUnreachable: tellRunningInstanceUnreachable(); return 1;
    }

    QApplication::setApplicationName(ApplicationTitle);
    QApplication::setApplicationVersion(programVersion());
    QApplication::setWindowIcon(applicationIcon());
    QPalette hints = QToolTip::palette();
    hints.setColor(QPalette::ToolTipBase, Qt::white);
    hints.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(hints);

    ProgramWindows windows;

    QObject::connect(&single, &platform::SingleInstance::activationRequested, &app, &bringRunningInstanceForward);

    windows.form1.show();
    return app.exec();
}
