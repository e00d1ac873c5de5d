// The annex view's spreadsheet exchange: "Exporta" hands the annex list to
// the export component, "Importa" runs the annex import and refreshes the
// form around it.
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QSignalBlocker>

#include "app/message_dialog.h"
#include "app/progress_window.h"
#include "data/annexes.h"
#include "data/data_store.h"
#include "exchange/annex_export.h"
#include "exchange/annex_import.h"
#include "exchange/data_export.h"
#include "platform/dialogs.h"
#include "titles/annex_lists.h"
#include "titles/titluri_form.h"

namespace {

void letPendingEventsRun() { QCoreApplication::processEvents(); }

// The form's side of the import: its message dialog and progress window,
// and its lists closed while the rows are written.
class FormImportHost : public exchange::ImportHost {
public:
    FormImportHost(TTitluriF& form, data::DataStore& store) : form_(form), store_(store) {}

    int Mesaj(const QString& heading, const QString& text, unsigned kind, unsigned buttons) override {
        return ::Mesaj(heading, text, kind, buttons);
    }
    void MesajList(const QString& heading, const QString& text, const QStringList& lines, unsigned kind,
                   unsigned buttons) override {
        ::MesajList(heading, text, lines, kind, buttons);
    }
    void showProgress(const QString& caption, int maximum) override {
        TContor& c = TContor::instance();
        c.Descr->setText(caption);
        c.Bar->setRange(0, std::max(maximum, 1));
        c.Bar->setValue(0);
        c.Arata(&form_);
    }
    void advanceProgress() override {
        QProgressBar* bar = TContor::instance().Bar;
        bar->setValue(std::min(bar->value() + 1, bar->maximum()));
    }
    void hideProgress() override { TContor::instance().Distruge(&form_); }
    void closeDatasets() override {
        form_.Anex.close();
        form_.Tx.close();
    }
    void reopenDatasets() override {
        form_.Tx.open();
        letPendingEventsRun();
        form_.Anex.open();
        letPendingEventsRun();
        {
            const QSignalBlocker quiet(form_.ComboBox1);
            form_.ComboBox1->clear();
            form_.ComboBox1->addItem(data::kAllValues);
            store_.FillDistinct(form_.ComboBox1, store_.tablePath(QStringLiteral("Anexe1.dbf")), QStringLiteral("SATUL"),
                                QString());
            titles::sortFilterItems(form_.ComboBox1);
            form_.ComboBox1->setCurrentIndex(0);
        }
        form_.FiltruSat();
    }
    void letEventsRun() override { letPendingEventsRun(); }

private:
    TTitluriF& form_;
    data::DataStore& store_;
};

}  // namespace

void TTitluriF::LbSpeedButton2Click() {
    if (!annexViewShown() || !Anex.isOpen() || Anex.isEmpty()) return;
    const auto source = exchange::annexExportSource(Anex);
    exchange::DataExport(exchange::annexExportSettings(store().AppDir())).Execute(source.get(), this);
}

void TTitluriF::ImportBClick() {
    if (!annexViewShown()) return;
    const auto file = platform::askOpenFileName(this, QStringLiteral("Alegeti fisierul XLS"),
                                                QStringLiteral("Fisier Excel (*.xls *.xlsx *.ods)"), QStringLiteral("xls"));
    if (!file) return;
    FormImportHost host(*this, store());
    exchange::AnnexImport import(store(), Sx, host);
    import.setStatementLog(log_);
    import.run(*file, data::AnnexNames()[page_]);
}
