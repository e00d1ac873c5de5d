#pragma once

#include <vector>

#include <QString>

#include "exchange/export_format.h"

class QWidget;

namespace exchange {

class ExportSource;

// How an export component is set up on its window.
struct ExportSettings {
    QString caption;  // of the format dialog and the progress window
    std::vector<ExportFormat> formats;
    ExportFormat selected = ExportFormat::Excel;
    QString dateTimeFormat = QStringLiteral("h:mm AP dd.MM.yyyy");
    QString folder;  // where the save dialog starts: the program's folder
};

// The annex view's and the report grids' settings, the save dialog
// starting in `folder`.
ExportSettings annexExportSettings(const QString& folder = QString());
ExportSettings gridExportSettings(const QString& folder = QString());

// The export component: the format dialog, then a file the user names or a
// temporary file opened with its application, or the clipboard; the
// progress window while the rows are written. The rows are read, never
// moved through, so the source's current row stays.
class DataExport {
public:
    explicit DataExport(ExportSettings settings) : settings_(std::move(settings)) {}

    // With no source (a dataset not open) the dialog shows and nothing is
    // written. A failure to write is told in a message.
    void Execute(const ExportSource* source, QWidget* owner);

    const ExportSettings& settings() const { return settings_; }

private:
    ExportSettings settings_;
};

}  // namespace exchange
