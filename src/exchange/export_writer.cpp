#include "exchange/export_writer.h"


#include "data/progress.h"
#include "exchange/output_sink.h"

namespace exchange {

void WriteContext::rowDone(int row) const {
    if (progress && ((row & 0xFF) == 0 || row == source.rowCount())) progress->setPosition(row);
}

namespace {

WriteContext contextFor(const ExportSource& source, ExportFormat format, const ExportOptions& options,
                        data::Progress* progress) {
    if (progress) {
        progress->setMaximum(source.rowCount());
        progress->setPosition(0);
    }
    return WriteContext{source, options, hasSeparatorLines(format), hasCreatedAtLine(format), progress};
}

void writeDocument(const WriteContext& context, ExportFormat format, OutputSink& out) {
    switch (format) {
    case ExportFormat::Html: writeHtml(context, out); break;
    case ExportFormat::Word:
    case ExportFormat::RichText: writeRtf(context, out); break;
    case ExportFormat::Excel: writeExcel5(context, out); break;
    case ExportFormat::Text: writeText(context, out, false); break;
    case ExportFormat::Clipboard: writeText(context, out, true); break;
    case ExportFormat::Csv: writeCsv(context, out); break;
    case ExportFormat::Tab: writeTab(context, out); break;
    case ExportFormat::Dif: writeDif(context, out); break;
    case ExportFormat::Sylk: writeSylk(context, out); break;
    case ExportFormat::Xlsx: break;
    }
}

}  // namespace

void writeExport(const ExportSource& source, ExportFormat format, const QString& path, const ExportOptions& options,
                 data::Progress* progress) {
    const WriteContext context = contextFor(source, format, options, progress);
    if (format == ExportFormat::Xlsx) {
        writeXlsx(context, path);
        return;
    }
    OutputSink out(path);
    writeDocument(context, format, out);
    out.finish();
}

std::string clipboardText(const ExportSource& source, const ExportOptions& options, data::Progress* progress) {
    std::string text;
    const WriteContext context = contextFor(source, ExportFormat::Clipboard, options, progress);
    OutputSink out(text);
    writeDocument(context, ExportFormat::Clipboard, out);
    out.finish();
    return text;
}

}  // namespace exchange
