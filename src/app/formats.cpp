#include "app/formats.h"

#include <QLocale>

void applyProcessFormats() {
    QLocale formats = QLocale::c();
    formats.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    QLocale::setDefault(formats);
}
