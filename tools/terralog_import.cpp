// terralog-import --data DIR --annex NAME [--delete-existing] FILE
//
// Imports the first sheet of FILE into the annex NAME of the data folder DIR,
// as the form's "Importa" does, answering DA to "add the lines?" and, with
// --delete-existing, DA to "delete the existing lines?" (NU without it). Each
// message the form would show is printed: its heading, then its text. The
// copy of the workbook goes into DIR's parent. Exit 0 once the import
// finished, 1 after an error (the tables are then unchanged), 2 for wrong
// usage.
#include <cstdio>
#include <iostream>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "app/message_dialog.h"
#include "data/annexes.h"
#include "data/data_store.h"
#include "engine/query.h"
#include "exchange/annex_import.h"

namespace {

const char* const kUsage = "utilizare: terralog-import --data DOSAR --annex ANEXA [--delete-existing] FISIER\n";

// Prints what the form would show, the text's first \r left out and the
// others as line ends.
void printMessage(const QString& heading, QString text) {
    if (text.startsWith(QLatin1Char('\r'))) text.remove(0, 1);
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    std::cout << heading.toStdString() << '\n' << text.toStdString() << '\n';
}

class CommandLineHost : public exchange::ImportHost {
public:
    explicit CommandLineHost(bool deleteExisting) : deleteExisting_(deleteExisting) {}

    int Mesaj(const QString& heading, const QString& text, unsigned kind, unsigned buttons) override {
        printMessage(heading, text);
        if (kind == mkError) failed = true;
        if (buttons != mbDa + mbNu) return mrOk;
        // The first question adds the lines; the second deletes the existing ones.
        return questions_++ == 0 || deleteExisting_ ? mrDa : mrNu;
    }
    void showProgress(const QString&, int) override {}
    void advanceProgress() override {}
    void hideProgress() override {}

    bool failed = false;

private:
    bool deleteExisting_;
    int questions_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString dataDir, annex, file;
    bool deleteExisting = false;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--data") && i + 1 < args.size()) {
            dataDir = args[++i];
        } else if (a == QLatin1String("--annex") && i + 1 < args.size()) {
            annex = args[++i];
        } else if (a == QLatin1String("--delete-existing")) {
            deleteExisting = true;
        } else if (a == QLatin1String("--help")) {
            std::cout << kUsage;
            return 0;
        } else if (!a.startsWith(QLatin1String("--")) && file.isEmpty()) {
            file = a;
        } else {
            std::cerr << kUsage;
            return 2;
        }
    }
    if (dataDir.isEmpty() || annex.isEmpty() || file.isEmpty()) {
        std::cerr << kUsage;
        return 2;
    }
    if (!data::AnnexNames().contains(annex)) {
        std::cerr << "terralog-import: anexa \"" << annex.toStdString() << "\" nu exista; anexele sunt "
                  << data::AnnexNames().join(QStringLiteral(", ")).toStdString() << '\n';
        return 2;
    }
    const QFileInfo data(dataDir);
    if (!data.isDir()) {
        std::cerr << "terralog-import: " << dataDir.toStdString() << " nu este un dosar\n";
        return 1;
    }
    data::DataStore store;
    store.setAppDir(QDir::cleanPath(data.absoluteFilePath() + QStringLiteral("/..")));
    store.setDataDir(data.absoluteFilePath());

    CommandLineHost host(deleteExisting);
    engine::Query sx;
    exchange::AnnexImport import(store, sx, host);
    try {
        const bool imported = import.run(file, annex);
        std::cout.flush();
        return imported && !host.failed ? 0 : 1;
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "terralog-import: " << e.what() << '\n';
        return 1;
    }
}
