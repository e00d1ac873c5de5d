// terralog-backup: saves a data directory into a backup archive, restores it,
// checks an archive and lists it; the same archive class the window uses.
// Messages go to standard error; exit 0 on success, 1 when the work failed,
// 2 for wrong usage.
#include <cstdio>
#include <exception>
#include <optional>

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include "backup/archive.h"
#include "backup/archive_writer.h"
#include "platform/data_dir_lock.h"
#include "engine/folder_swap.h"
#include "front.h"
#include "platform/native_path.h"

namespace {

using front::kFailed;
using front::kUsage;

const char* const kUsageText =
    "Folosire:\n"
    "  terralog-backup save --data DIR [--force] ARHIVA   salveaza fisierele din DIR in ARHIVA\n"
    "  terralog-backup restore --data DIR ARHIVA          inlocuieste fisierele din DIR cu cele din ARHIVA\n"
    "  terralog-backup verify ARHIVA                      citeste si verifica toata arhiva\n"
    "  terralog-backup list ARHIVA                        numele si marimea fiecarui fisier din arhiva\n"
    "Codul de iesire: 0 reusit, 1 esuat, 2 folosire gresita.\n";

void say(const QString& message) { front::say(message.toStdString()); }

int usage(const QString& problem) { return front::usage(problem.toStdString(), kUsageText); }

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

struct Command {
    QString name;
    std::optional<QString> data;
    bool force = false;
    QString archive;
};

// The command, or the text of what is wrong with the arguments.
std::optional<Command> parse(const QStringList& args, QString& problem) {
    Command c;
    c.name = args.value(0);
    QStringList rest;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--data") && i + 1 < args.size())
            c.data = args[++i];
        else if (args[i] == QLatin1String("--force"))
            c.force = true;
        else if (args[i].startsWith(QLatin1String("--")))
            problem = QStringLiteral("optiune necunoscuta sau incompleta: %1").arg(args[i]);
        else
            rest << args[i];
    }
    const bool needsData = c.name == QLatin1String("save") || c.name == QLatin1String("restore");
    if (!needsData && c.name != QLatin1String("verify") && c.name != QLatin1String("list"))
        problem = c.name.isEmpty() ? QStringLiteral("lipseste comanda") : QStringLiteral("comanda necunoscuta: %1").arg(c.name);
    else if (needsData && !c.data)
        problem = QStringLiteral("%1 cere --data DIR").arg(c.name);
    else if (!needsData && c.data)
        problem = QStringLiteral("%1 nu primeste --data").arg(c.name);
    else if (c.force && c.name != QLatin1String("save"))
        problem = QStringLiteral("--force este numai pentru save");
    else if (rest.size() != 1)
        problem = QStringLiteral("se cere o singura arhiva");
    if (!problem.isEmpty()) return std::nullopt;
    c.archive = rest[0];
    return c;
}

int save(const Command& c) {
    if (!front::settle(platform::nativePath(*c.data))) return kFailed;
    if (!QFileInfo(*c.data).isDir()) {
        say(QStringLiteral("directorul de date %1 nu exista").arg(shown(*c.data)));
        return kFailed;
    }
    if (QFileInfo::exists(c.archive) && !c.force) {
        say(QStringLiteral("arhiva %1 exista deja; --force o inlocuieste").arg(shown(c.archive)));
        return kFailed;
    }
    // The list and the contents from one moment: a file an import creates
    // meanwhile (the settings file of a first import) is either in both or
    // in neither.
    const engine::FolderLock reading = front::holdForReading(platform::nativePath(*c.data));
    const QStringList files = backup::listDataFiles(*c.data);
    if (files.isEmpty()) {
        say(QStringLiteral("directorul %1 nu contine nici un fisier cu date: nu am scris nici o arhiva").arg(shown(*c.data)));
        return kFailed;
    }
    backup::Archive(c.archive).write(files);
    return 0;
}

int restore(const Command& c) {
    if (!QFileInfo::exists(c.archive)) {
        say(QStringLiteral("salvarea %1 nu exista").arg(shown(c.archive)));
        return kFailed;
    }
    // A new machine's data directory may not have its folder yet.
    QDir().mkpath(QFileInfo(*c.data).absolutePath());
    platform::DataDirLock lock;
    if (!lock.lock(*c.data, true)) {
        say(QStringLiteral("datele din %1 sunt folosite de alt program (Terralog?); nu am restaurat nimic").arg(shown(*c.data)));
        return kFailed;
    }
    backup::Archive(c.archive).restore(lock);
    return 0;
}

int verify(const Command& c) {
    int64_t bytes = 0;
    const std::vector<backup::ArchiveEntry> entries = backup::Archive(c.archive).verify();
    for (const backup::ArchiveEntry& e : entries) bytes += e.size;
    std::printf("%s: %zu fisiere, %lld octeti, intreaga\n", shown(c.archive).toLocal8Bit().constData(), entries.size(),
                static_cast<long long>(bytes));
    return 0;
}

int list(const Command& c) {
    backup::Archive(c.archive).verify(nullptr, [](const backup::ArchiveEntry& e) {
        std::printf("Data\\%s\t%d\n", e.fileName.toLocal8Bit().constData(), int(e.size));
        std::fflush(stdout);
    });
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    front::begin("terralog-backup");
    const QStringList args = platform::programArguments(argc, argv);
    if (args.value(0) == QLatin1String("--help") || args.value(0) == QLatin1String("-h")) {
        std::fputs(kUsageText, stdout);
        return 0;
    }
    QString problem;
    const std::optional<Command> command = parse(args, problem);
    if (!command) return usage(problem);
    try {
        if (command->name == QLatin1String("save")) return save(*command);
        if (command->name == QLatin1String("restore")) return restore(*command);
        if (command->name == QLatin1String("verify")) return verify(*command);
        return list(*command);
    } catch (const std::exception& e) {
        say(QString::fromUtf8(e.what()));
        return kFailed;
    }
}
