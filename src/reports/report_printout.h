#pragma once

#include <functional>
#include <utility>
#include <vector>

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "reports/report_grid.h"

class QPagedPaintDevice;

namespace reports {

// What a printed report shows: the office and the report's header, the
// filters in force, every row of the report grid, the totals by type and
// category, and the report's figures ("Total suprafata", "Conf.Reg.Func.",
// "Diferenta" ...), on numbered pages.
struct ReportPrintout {
    QString office;
    QString title;
    QStringList filters;  // "Satul: BRADU"; none when nothing restricts the report
    ReportGrid rows;
    ReportGrid totals;
    std::vector<std::pair<QString, QString>> figures;  // caption, value as shown
    QDateTime printedAt;
};

// Lays the printout out on the device's pages (landscape suits the general
// report's fifteen columns) and paints it; `pageDone` hears of every page
// painted, with the number of pages. Returns the number of pages. Throws
// std::runtime_error when the device cannot be painted on.
int printReport(const ReportPrintout& printout, QPagedPaintDevice& device,
                const std::function<void(int page, int pages)>& pageDone = {});

}  // namespace reports
