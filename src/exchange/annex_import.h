#pragma once

#include <functional>
#include <vector>

#include <QString>
#include <QStringList>

#include "exchange/expxlsole.h"

namespace data {
class DataStore;
}
namespace engine {
class Query;
}

namespace exchange {

// What the import asks of whoever runs it: the questions and messages, the
// progress window, and the form's datasets around the writing. The form
// answers through Mesaj and TContor; the command-line front prints.
class ImportHost {
public:
    virtual ~ImportHost() = default;
    virtual int Mesaj(const QString& heading, const QString& text, unsigned kind, unsigned buttons) = 0;
    // A message over a list of lines, every one of them shown (the problems
    // of a refused sheet); by default the lines follow the text.
    virtual void MesajList(const QString& heading, const QString& text, const QStringList& lines, unsigned kind,
                           unsigned buttons) {
        Mesaj(heading, text + QLatin1Char('\r') + lines.join(QLatin1Char('\r')), kind, buttons);
    }
    virtual void showProgress(const QString& caption, int maximum) = 0;
    virtual void advanceProgress() = 0;
    virtual void hideProgress() = 0;
    // Before the first row is written, and once the rows are in (or the
    // writing failed): the form closes and reopens its annex and title lists.
    virtual void closeDatasets() {}
    virtual void reopenDatasets() {}
    virtual void letEventsRun() {}
};

// The annex import: the rows of a workbook's first sheet become lines of
// one annex, each with its title created, or updated and relinked.
//
// The whole sheet is checked before anything is written; from the first
// write to the last the tables and the identifier counters change as one
// unit, so a failure part-way leaves them exactly as they were.
class AnnexImport {
public:
    AnnexImport(data::DataStore& store, engine::Query& sx, ImportHost& host);

    // Imports the file into the annex; true when the rows were written. The
    // messages go through the host; a workbook that cannot be read throws
    // WorkbookError before anything is asked.
    bool run(const QString& fileName, const QString& annex);

    TExpXLSOLE& workbook() { return workbook_; }

    // Every statement run is appended while a log is set.
    void setStatementLog(std::vector<QStringList>* log) { log_ = log; }
    // Runs before each statement of the writing, with its number from 0
    // (tests make one fail there).
    std::function<void(int)> beforeStatement;

private:
    struct Line;
    bool failWith(const QString& text);
    bool checkLayout(const QString& annex);
    std::vector<Line> readLines(int rows, QStringList& problems);
    void write(const QString& annex, const std::vector<Line>& lines, bool deleteExisting, int rows);
    int greatestPosition(const QString& annex);
    void execute(const QStringList& lines);

    data::DataStore& store_;
    engine::Query& sx_;
    ImportHost& host_;
    TExpXLSOLE workbook_;
    std::vector<QStringList>* log_ = nullptr;
    int statements_ = 0;
};

}  // namespace exchange
