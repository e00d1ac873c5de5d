#include "app/pictures.h"

// The resources live in this static library; nothing else references their
// object file, so they are registered by hand before the first use.
static void registerResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(terralog);
        return true;
    }();
    (void)done;
}

QPixmap picture(const QString& name) {
    registerResources();
    return QPixmap(QStringLiteral(":/icons/") + name + QStringLiteral(".png"));
}

QIcon pictureIcon(const QString& name) { return QIcon(picture(name)); }

QIcon applicationIcon() {
    QIcon icon;
    for (const int size : {32, 64, 96, 256}) icon.addPixmap(picture(QStringLiteral("terralog-%1").arg(size)));
    return icon;
}
