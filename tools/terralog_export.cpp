// terralog-export --data DIR (--annex NAME [--village V] [--alpha] [--no-title]
//                 | --report general|parcel) --format FMT OUT
//
// Writes the annex list, as the annex view shows it with those filters, or a
// report, to OUT in the format FMT (html, doc, xls, xlsx, txt, rtf, csv, tab,
// dif or slk; the annex list takes html, xls, xlsx and txt, as its dialog
// offers; a report is written with every filter neutral). Exit 0 once
// written, 1 on error, 2 for wrong usage.
#include <iostream>
#include <memory>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include "app/startup_window.h"
#include "data/annexes.h"
#include "data/data_store.h"
#include "engine/query.h"
#include "exchange/annex_export.h"
#include "exchange/data_export.h"
#include "exchange/export_writer.h"
#include "exchange/grid_export_source.h"
#include "front.h"
#include "platform/native_path.h"
#include "reports/rap_parc_form.h"
#include "reports/raport_form.h"
#include "titles/annex_list_query.h"

namespace {

const char* const kUsage =
    "Folosire: terralog-export --data DIR (--annex ANEXA [--village SAT] [--alpha] [--no-title] | --report general|parcel)\n"
    "                         --format html|doc|xls|xlsx|txt|rtf|csv|tab|dif|slk FISIER\n"
    "  scrie lista anexei sau raportul datelor din DIR in FISIER, in formatul ales.\n"
    "Codul de iesire: 0 reusit, 1 esuat, 2 folosire gresita.\n";

int usage(const std::string& problem = {}) { return front::usage(problem, kUsage); }

int fail(const std::string& message) { return front::fail(message); }

// Qt's notes about the session it runs in (no runtime folder under cron, a
// window system that cannot raise) are no concern of a front that shows no
// window; its errors are.
void printQtErrors(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) front::say(message.toStdString());
}

}  // namespace

int main(int argc, char** argv) {
    front::begin("terralog-export");
    // The reports are the forms themselves, made and never shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(printQtErrors);
    QApplication app(argc, argv);
    QString dataDir, annex, report, key, out;
    titles::AnnexListFilters filters;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--data") && hasValue) dataDir = args[++i];
        else if (a == QLatin1String("--annex") && hasValue) annex = args[++i];
        else if (a == QLatin1String("--village") && hasValue) filters.village = args[++i];
        else if (a == QLatin1String("--alpha")) filters.alphabetical = true;
        else if (a == QLatin1String("--no-title")) filters.withoutTitle = true;
        else if (a == QLatin1String("--report") && hasValue) report = args[++i];
        else if (a == QLatin1String("--format") && hasValue) key = args[++i];
        else if (a == QLatin1String("--help")) {
            std::cout << kUsage;
            return 0;
        } else if (!a.startsWith(QLatin1String("--")) && out.isEmpty()) out = a;
        else return usage("optiune necunoscuta sau incompleta: " + a.toStdString());
    }
    const auto format = exchange::formatFromKey(key);
    if (dataDir.isEmpty() || out.isEmpty() || !format || annex.isEmpty() == report.isEmpty()) return usage();
    if (!report.isEmpty() && report != QLatin1String("general") && report != QLatin1String("parcel")) return usage();
    if (!annex.isEmpty()) {
        const auto& offered = exchange::annexFormats();
        if (std::find(offered.begin(), offered.end(), *format) == offered.end()) {
            return usage("lista anexei se scrie ca html, xls, xlsx sau txt");
        }
        if (!data::AnnexNames().contains(annex)) {
            return usage("anexa \"" + annex.toStdString() + "\" nu exista");
        }
    }
    if (!front::settle(platform::nativePath(dataDir))) return front::kFailed;
    const QFileInfo data(dataDir);
    if (!data.isDir()) return fail(QDir::toNativeSeparators(dataDir).toStdString() + " nu este un director");

    // The reports find the data folder where the program keeps it.
    TForm1 form1;
    data::DataStore& store = form1.store();
    store.setAppDir(QDir::cleanPath(data.absoluteFilePath() + QStringLiteral("/..")));
    store.setDataDir(data.absoluteFilePath());
    try {
        const engine::FolderLock reading = front::holdForReading(platform::nativePath(store.DataDir()));
        engine::Query anex;
        std::unique_ptr<reports::ReportForm> form;
        std::unique_ptr<exchange::ExportSource> source;
        exchange::ExportSettings settings;
        if (!annex.isEmpty()) {
            titles::openAnnexList(anex, store, int(data::AnnexNames().indexOf(annex)), filters);
            source = exchange::annexExportSource(anex);
            settings = exchange::annexExportSettings();
        } else {
            if (report == QLatin1String("general"))
                form = std::make_unique<TRaportF>();
            else
                form = std::make_unique<TRapParcF>();
            form->prepareOpening();
            source = form->exportSource();
            settings = exchange::gridExportSettings();
        }
        if (*format == exchange::ExportFormat::Excel && source->rowCount() + 1 > exchange::kExcel5MaxRows)
            return fail("o foaie Excel 5.0 are cel mult " + std::to_string(exchange::kExcel5MaxRows - 1) +
                        " randuri, iar lista are " + std::to_string(source->rowCount()) + "; folositi --format xlsx");
        const exchange::ExportOptions options{
            settings.caption, QLocale::c().toString(QDateTime::currentDateTime(), settings.dateTimeFormat)};
        exchange::writeExport(*source, *format, out, options, nullptr);
    } catch (const std::exception& e) {
        return fail(e.what());
    }
    return 0;
}
