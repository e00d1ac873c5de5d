#include "exchange/expxlsole.h"

#include <QFile>
#include <QFileInfo>

#include "data/data_store.h"
#include "exchange/workbook_reader.h"

namespace exchange {

TExpXLSOLE::TExpXLSOLE(const data::DataStore& store) : store_(store) {}

TExpXLSOLE::~TExpXLSOLE() = default;

bool TExpXLSOLE::OpenWorkbook(const QString& fileName) {
    if (!QFileInfo(fileName).isFile()) return false;
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    const QString extension = suffix.isEmpty() || suffix == QLatin1String("xls") ? QStringLiteral(".xls")
                                                                                 : QLatin1Char('.') + suffix;
    WorkbookCopyName = store_.UniqueTempName(QStringLiteral("XLSTmp"), extension);
    XCell.reset();
    openedFile_.clear();
    XCell = openWorkbookFile(fileName);
    openedFile_ = fileName;
    return true;
}

void TExpXLSOLE::CloseWorkbook() {
    if (!XCell) return;
    XCell.reset();
    const QString source = openedFile_;
    openedFile_.clear();
    if (WorkbookCopyName.isEmpty())
        throw WorkbookError("Nu mai este liber nici un nume XLSTmp0 ... XLSTmp100 pentru copia registrului.");
    QFile::remove(WorkbookCopyName);
    if (!QFile::copy(source, WorkbookCopyName))
        throw WorkbookError("Copia registrului, " + WorkbookCopyName.toStdString() + ", nu poate fi scrisa.");
}

const WorkbookReader& TExpXLSOLE::sheet() const {
    if (!XCell) throw WorkbookError("Nu este deschis nici un registru.");
    return *XCell;
}

int TExpXLSOLE::usedRows() const { return sheet().usedRows(); }
int TExpXLSOLE::usedColumns() const { return sheet().usedColumns(); }
QString TExpXLSOLE::cellText(int row, int column) const { return sheet().cellText(row, column); }

QStringList TExpXLSOLE::ReadRowCells(int row) const {
    const WorkbookReader& s = sheet();
    QStringList cells;
    cells.reserve(kImportColumns);
    for (int c = 1; c <= kImportColumns; ++c) cells << s.cellText(row, c).left(kCellLength);
    return cells;
}

}  // namespace exchange
