#pragma once

#include <string>

#include <QString>

#include "exchange/export_format.h"
#include "exchange/export_source.h"

namespace data {
class Progress;
}

namespace exchange {

struct ExportOptions {
    QString title;      // the HTML page's title and heading
    QString createdAt;  // date and time for the closing "Creat la" line
};

// Writes every row of the source in the format: to a new file at `path`, or
// (for the clipboard) into `text`. The progress, when given, goes from 0 to
// the number of rows. Throws engine::Error when the file cannot be written;
// a file left half-written is removed.
void writeExport(const ExportSource& source, ExportFormat format, const QString& path, const ExportOptions& options,
                 data::Progress* progress);
std::string clipboardText(const ExportSource& source, const ExportOptions& options, data::Progress* progress);

class OutputSink;

// The writers, one per format family; each takes the rows and writes the
// whole document.
struct WriteContext {
    const ExportSource& source;
    const ExportOptions& options;
    bool separators;
    bool createdAt;
    data::Progress* progress;
    // Moves the progress to the row (every 256 rows, and at the end).
    void rowDone(int row) const;
};
void writeHtml(const WriteContext& context, OutputSink& out);
void writeRtf(const WriteContext& context, OutputSink& out);
void writeText(const WriteContext& context, OutputSink& out, bool utf8);
void writeCsv(const WriteContext& context, OutputSink& out);
void writeTab(const WriteContext& context, OutputSink& out);
void writeDif(const WriteContext& context, OutputSink& out);
void writeSylk(const WriteContext& context, OutputSink& out);
void writeExcel5(const WriteContext& context, OutputSink& out);
void writeXlsx(const WriteContext& context, const QString& path);

}  // namespace exchange
