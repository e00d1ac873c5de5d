#pragma once

#include <ostream>

#include <QString>

// Texts read as texts in the failure messages of the tests.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
