#pragma once

// The annexes-and-titles form over the temporary program folder.
#include <memory>
#include <string>
#include <vector>

#include <algorithm>
#include <functional>

#include <QCoreApplication>
#include <QDir>
#include <QListWidget>
#include <QTimer>

#include "titles/anexa_add_dialog.h"
#include "titles/titdet_add_dialog.h"
#include "titles/titlu_add_dialog.h"
#include "titles/titluri_form.h"
#include "titles_fixture.h"

namespace titlestest {

class FormFixture : public TitlesFixture {
protected:
    // The dialogs of the run, fresh for every test (the first of a kind made
    // is the one the form uses).
    std::unique_ptr<TAnexaAdd1F> lineDialog;
    std::unique_ptr<TTitluAddF> titleDialog;
    std::unique_ptr<TTitDetAddF> surfaceDialog;
    std::unique_ptr<TTitluriF> form;
    std::vector<QStringList> statements;

    void SetUp() override {
        TitlesFixture::SetUp();
        lineDialog = std::make_unique<TAnexaAdd1F>();
        titleDialog = std::make_unique<TTitluAddF>();
        surfaceDialog = std::make_unique<TTitDetAddF>();
        ASSERT_EQ(&TAnexaAdd1F::instance(), lineDialog.get());
        ASSERT_EQ(&TTitluAddF::instance(), titleDialog.get());
        ASSERT_EQ(&TTitDetAddF::instance(), surfaceDialog.get());
        form = std::make_unique<TTitluriF>();
        form->setStatementLog(&statements);
    }

    void TearDown() override {
        form.reset();
        surfaceDialog.reset();
        titleDialog.reset();
        lineDialog.reset();
        TitlesFixture::TearDown();
    }

    // The form as ShowTitlesForm leaves it when the modal loop starts.
    void openForm() { form->prepareOpening(); }

    // Runs ShowTitlesForm; `whileShown` runs once the form shows, then the
    // form is closed.
    void showForm(const std::function<void()>& whileShown) {
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, form.get(), [&] {
            // Not while the form is still showing its first page: the
            // refreshes let this timer run in their midst.
            if (!form->isVisible() || form->ListView1->currentRow() < 0 || form->SelectCount || form->BusyCount) return;
            poll.stop();
            QCoreApplication::processEvents();
            whileShown();
            form->close();
        });
        poll.start();
        form->ShowTitlesForm();
    }

    // Picks an entry of the form's list, as a click would.
    void choosePage(int index) { form->ListView1->setCurrentRow(index); }

    QString listFile(const QString& name) { return AppDir() + QDir::separator() + name; }

    // A field's values over the rows a dataset shows, in order.
    static std::vector<std::string> column(engine::Dataset& ds, const char* field) {
        std::vector<std::string> out;
        const int f = ds.fieldIndex(field);
        for (int i = 0; i < ds.recordCount(); ++i) out.push_back(ds.rowValue(i, f).toString());
        return out;
    }
    static std::vector<std::string> sorted(std::vector<std::string> rows) {
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    static std::string current(engine::Dataset& ds, const char* field) { return ds.field(field).asString(); }
};

}  // namespace titlestest
