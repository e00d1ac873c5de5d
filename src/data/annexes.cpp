#include "data/annexes.h"

namespace data {

const QStringList& AnnexNames() {
    static const QStringList names = {
        QStringLiteral("Anexa 2A"), QStringLiteral("Anexa 2B"),     QStringLiteral("Anexa 3"),
        QStringLiteral("Anexa 6"),  QStringLiteral("Anexa 7"),      QStringLiteral("Anexa 9A"),
        QStringLiteral("Anexa 13"), QStringLiteral("Anexa 19"),     QStringLiteral("Anexa 20"),
        QStringLiteral("Legea 1/2000"), QStringLiteral("Legea 247/2005"), QStringLiteral("Altele"),
    };
    return names;
}

}  // namespace data
