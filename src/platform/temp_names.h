#pragma once

#include <QString>

namespace platform {

// The first of folder/prefix0ext ... folder/prefix100ext that is free, after
// deleting a file of that name that can be deleted; empty text when none of
// the 101 names can be freed. Pending events run after each try.
QString uniqueTempName(const QString& folder, const QString& prefix, const QString& extension);

}  // namespace platform
