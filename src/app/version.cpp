#include "app/version.h"

QString programVersion() { return QStringLiteral(TERRALOG_VERSION); }
