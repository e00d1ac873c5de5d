#pragma once

// LibreOffice as the independent reader of what the exchange writes: files
// converted headless, with a private profile so that runs do not collide.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace exchangetest {

class LibreOffice {
public:
    explicit LibreOffice(const QString& workDir) : workDir_(workDir) {}

    static bool available() { return !QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty(); }

    // Converts the files into outDir with the filter, reading them with
    // inFilter when it is not empty; true when soffice ended well.
    bool convert(const QStringList& files, const QString& filter, const QString& outDir,
                 const QString& inFilter = QString()) const {
        QDir().mkpath(outDir);
        QStringList args{QStringLiteral("-env:UserInstallation=file://") + workDir_ + QStringLiteral("/profile"),
                         QStringLiteral("--headless"), QStringLiteral("--norestore")};
        if (!inFilter.isEmpty()) args << QStringLiteral("--infilter=") + inFilter;
        args << QStringLiteral("--convert-to") << filter << QStringLiteral("--outdir") << outDir;
        args << files;
        QProcess p;
        p.start(QStringLiteral("soffice"), args);
        return p.waitForFinished(240000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    // Spreadsheets to UTF-8 CSV, every text quoted.
    bool toCsv(const QStringList& files, const QString& outDir, const QString& inFilter = QString()) const {
        return convert(files, QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1"), outDir, inFilter);
    }
    // Documents to UTF-8 text.
    bool toText(const QStringList& files, const QString& outDir) const {
        return convert(files, QStringLiteral("txt:Text (encoded):UTF8"), outDir);
    }
    // A CSV file it wrote, one line per row, without the byte-order mark.
    static QStringList lines(const QString& path) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) return {};
        QString text = QString::fromUtf8(f.readAll());
        if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QStringList out = text.split(QLatin1Char('\n'));
        while (!out.isEmpty() && out.last().isEmpty()) out.removeLast();
        return out;
    }

private:
    QString workDir_;
};

}  // namespace exchangetest
