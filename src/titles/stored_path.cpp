#include "titles/stored_path.h"

#include <algorithm>

namespace titles {

StoredPath StoredPath::split(const QString& path) {
    const int cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))) + 1;
    return {path.left(cut), path.mid(cut)};
}

}  // namespace titles
