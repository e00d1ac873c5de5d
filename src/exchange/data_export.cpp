#include "exchange/data_export.h"

#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QTemporaryFile>

#include "app/message_dialog.h"
#include "exchange/export_dialogs.h"
#include "exchange/export_folder.h"
#include "exchange/export_writer.h"
#include "platform/dialogs.h"

namespace exchange {

namespace {

ExportSettings settingsOf(const QString& caption, const std::vector<ExportFormat>& formats, const QString& folder) {
    ExportSettings s;
    s.caption = caption;
    s.formats = formats;
    s.folder = folder;
    return s;
}

}  // namespace

ExportSettings annexExportSettings(const QString& folder) {
    return settingsOf(QStringLiteral("Export datele"), annexFormats(), folder);
}

ExportSettings gridExportSettings(const QString& folder) {
    return settingsOf(QStringLiteral("Export Grila"), gridFormats(), folder);
}

namespace {

// A name in the system's temporary folder that stays after the export, for
// the application that opens it.
QString temporaryFile(const QString& extension) {
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/Terralog_XXXXXX.") + extension.toLower());
    file.setAutoRemove(false);
    if (!file.open()) return QString();
    return file.fileName();
}

QString withExtension(const QString& path, const QString& extension) {
    if (QFileInfo(path).suffix().compare(extension, Qt::CaseInsensitive) == 0) return path;
    return path + QLatin1Char('.') + extension.toLower();
}

// An Excel 5.0 sheet cannot hold the rows: the user may take .xlsx instead.
bool offerXlsx(const QString& caption, int rows) {
    return Mesaj(caption,
                 QStringLiteral("\rO foaie Microsoft Excel 5.0 are cel mult %1 de randuri; tabelul are %2."
                                "\rDoriti exportul in format Microsoft Excel 2007+ (.xlsx)?")
                     .arg(kExcel5MaxRows - 1)
                     .arg(rows),
                 mkConfirmation, mbDa + mbNu) == mrDa;
}

}  // namespace

void DataExport::Execute(const ExportSource* source, QWidget* owner) {
    const auto choice = Tfrm_Selection::instance().choose(settings_.caption, settings_.formats, settings_.selected);
    if (!choice || !source) return;
    ExportFormat format = choice->format;
    if (format == ExportFormat::Excel && source->rowCount() + 1 > kExcel5MaxRows) {
        if (!offerXlsx(settings_.caption, source->rowCount())) return;
        format = ExportFormat::Xlsx;
    }
    const FormatInfo& info = formatInfo(format);
    const bool clipboard = format == ExportFormat::Clipboard;
    QString path;
    if (!clipboard && choice->toFile) {
        const auto chosen = platform::askSaveFileName(owner, QStringLiteral("Save document"), saveFilter(format),
                                                      info.extension.toLower(), settings_.folder);
        if (!chosen) return;
        path = withExtension(*chosen, info.extension);
    } else if (!clipboard) {
        path = temporaryFile(info.extension);
    }

    const ExportOptions options{settings_.caption,
                                QLocale::c().toString(QDateTime::currentDateTime(), settings_.dateTimeFormat)};
    Tfrm_ProgressForm& progress = Tfrm_ProgressForm::instance();
    progress.start(settings_.caption, owner);
    std::string text;
    try {
        if (clipboard)
            text = clipboardText(*source, options, &progress);
        else if (path.isEmpty())
            throw std::runtime_error("No temporary file can be made in " + QDir::tempPath().toStdString());
        else
            writeExport(*source, format, path, options, &progress);
    } catch (const std::exception& e) {
        progress.finish(owner);
        Mesaj(settings_.caption, QStringLiteral("\rExportul nu s-a putut face:\r") + QString::fromUtf8(e.what()),
              mkError, mbOk);
        return;
    }
    progress.finish(owner);
    if (choice->toFile) rememberExportFolder(QFileInfo(path).absolutePath());
    if (clipboard) {
        QGuiApplication::clipboard()->setText(QString::fromStdString(text));
        Mesaj(settings_.caption, QStringLiteral("Tabelul a fost copiat in Clipboard!"), mkInformation, mbOk);
    } else if (!choice->toFile) {
        platform::openWithShell(path);
    }
}

}  // namespace exchange
