// The rows of a SELECT as text, for tests that compare what tables hold.
#pragma once

#include <string>
#include <vector>

#include <QString>

#include "engine/query.h"

namespace testing_rows {

// Fields joined by "|"; numbers in their shortest form, dates dd.MM.yyyy,
// NULL as nothing.
inline std::vector<std::string> queryRows(const QString& select) {
    engine::Query q;
    q.add(select.toStdString());
    q.open();
    std::vector<std::string> out;
    for (q.first(); !q.eof(); q.next()) {
        std::string row;
        for (int f = 0; f < int(q.fields().size()); ++f) {
            if (f) row += "|";
            row += q.field(f).asString();
        }
        out.push_back(row);
    }
    return out;
}

}  // namespace testing_rows
