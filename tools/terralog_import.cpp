// terralog-import --data DIR --annex NAME [--delete-existing] FILE
//
// Imports the first sheet of FILE into the annex NAME of the data folder DIR,
// as the form's "Importa" does, answering DA to "add the lines?" and, with
// --delete-existing, DA to "delete the existing lines?" (NU without it). Each
// message the form would show is printed: its heading, then its text. The
// copy of the workbook goes into DIR's parent. Exit 0 once the import
// finished, 1 after an error (the tables are then unchanged), 2 for wrong
// usage. It holds the data folder while it works: while Terralog or another
// writer has it, it waits a while, then gives up with nothing written.
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
#include "front.h"
#include "platform/native_path.h"

namespace {

const char* const kUsage =
    "Folosire: terralog-import --data DIR --annex ANEXA [--delete-existing] FISIER\n"
    "  importa prima foaie din FISIER (.xls, .xlsx, .ods) in ANEXA datelor din DIR;\n"
    "  --delete-existing sterge intai liniile existente ale anexei.\n"
    "Codul de iesire: 0 reusit, 1 esuat, 2 folosire gresita.\n";

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
    front::begin("terralog-import");
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
            return front::usage("optiune necunoscuta sau incompleta: " + a.toStdString(), kUsage);
        }
    }
    if (dataDir.isEmpty() || annex.isEmpty() || file.isEmpty()) return front::usage("", kUsage);
    if (!data::AnnexNames().contains(annex))
        return front::usage("anexa \"" + annex.toStdString() + "\" nu exista; anexele sunt " +
                                data::AnnexNames().join(QStringLiteral(", ")).toStdString(),
                            kUsage);
    if (!front::settle(platform::nativePath(dataDir))) return front::kFailed;
    const QFileInfo data(dataDir);
    if (!data.isDir()) return front::fail(QDir::toNativeSeparators(dataDir).toStdString() + " nu este un director");
    data::DataStore store;
    store.setAppDir(QDir::cleanPath(data.absoluteFilePath() + QStringLiteral("/..")));
    store.setDataDir(data.absoluteFilePath());

    CommandLineHost host(deleteExisting);
    engine::Query sx;
    exchange::AnnexImport import(store, sx, host);
    try {
        const engine::FolderLock holder = front::holdForWriting(platform::nativePath(store.DataDir()));
        const bool imported = import.run(file, annex);
        std::cout.flush();
        return imported && !host.failed ? front::kDone : front::kFailed;
    } catch (const std::exception& e) {
        std::cout.flush();
        return front::fail(e.what());
    }
}
