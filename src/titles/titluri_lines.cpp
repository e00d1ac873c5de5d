// Annex lines: adding, changing and deleting them through the line dialog.
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>

#include "app/message_dialog.h"
#include "app/startup_window.h"
#include "data/annexes.h"
#include "data/data_store.h"
#include "data/text_routines.h"
#include "engine/transaction.h"
#include "titles/anexa_add_dialog.h"
#include "titles/annex_lists.h"
#include "titles/titluri_form.h"
#include "ui/numeric_edit.h"

namespace {

void letPendingEventsRun() { QCoreApplication::processEvents(); }

// A text the user typed that the dialog does not clean: its double quotes
// are dropped, so it cannot end the statement's literal early.
QString unquoted(QString text) { return text.remove(QLatin1Char('"')); }

QString number(const ui::NumericEdit* edit) { return edit->valueText(); }

// Every numeric field of a line with the control that carries it, in the
// order of the statements.
struct NumericField {
    const char* field;
    ui::NumericEdit* TAnexaAdd1F::*edit;
};
const NumericField kNumericFields[] = {
    {"SINCAP", &TAnexaAdd1F::SINCAPE}, {"SSOL", &TAnexaAdd1F::SSOLE},   {"SAPROB", &TAnexaAdd1F::SAPROBE},
    {"SACT", &TAnexaAdd1F::SActE},     {"EXTOT", &TAnexaAdd1F::ExTot},  {"EXAR", &TAnexaAdd1F::ExAr},
    {"EXVII", &TAnexaAdd1F::ExVii},    {"EXLIV", &TAnexaAdd1F::ExLiv},  {"EXPAS", &TAnexaAdd1F::ExPas},
    {"INTOT", &TAnexaAdd1F::InTot},    {"INAR", &TAnexaAdd1F::InAr},    {"INVII", &TAnexaAdd1F::InVii},
    {"INLIV", &TAnexaAdd1F::InLiv},    {"INPAS", &TAnexaAdd1F::InPas},  {"NEAG", &TAnexaAdd1F::Neag},
};

}  // namespace

void TTitluriF::ConfigureLineDialog(int page) { TAnexaAdd1F::instance().configureForPage(page); }

void TTitluriF::AddLineBClick() {
    if (!annexViewShown()) return;
    const int page = page_;
    const QString annex = data::AnnexNames()[page];
    TAnexaAdd1F& d = TAnexaAdd1F::instance();

    d.TitluL->setText(QStringLiteral("Adaugare ") + annex);
    d.SatulE->setEditText(ComboBox1->currentIndex() > 0 ? ComboBox1->currentText() : QString());
    if (page == 9 || page == 10) {
        d.TipAnxE->clear();
        d.TipAnxE->addItems(titles::readListFile(annexTypeFile(page)));
        d.TipAnxE->removeItem(0);
        d.TipAnxE->setEditText(QString());
    }
    d.MostenE->clear();
    d.NumeleE->clear();
    for (const NumericField& f : kNumericFields) (d.*f.edit)->setText(QStringLiteral("0"));
    ConfigureLineDialog(page);
    // The old annexes store their own name as the annex type, and so does
    // "Altele", whose dialog shows no type.
    if (page < 9 || page == 11) d.TipAnxE->setEditText(annex);
    if (!d.Execute()) return;

    const QString id = store().NextId(QStringLiteral("IDANEXA"));
    QStringList lines{QStringLiteral("INSERT INTO \"") + tablePath(QStringLiteral("Anexe1.dbf")) + QLatin1Char('"'),
                      QStringLiteral("(IDANEXA, ANEXA, TIPANX, NRCRTA, SATUL, NUME, SINCAP, SSOL, SAPROB, SACT, MOSTEN,"),
                      QStringLiteral("EXTOT, EXAR, EXVII, EXLIV, EXPAS,"),
                      QStringLiteral("INTOT, INAR, INVII, INLIV, INPAS,"),
                      QStringLiteral("NEAG)"),
                      QStringLiteral("VALUES ("),
                      id + QStringLiteral(",\"") + annex + QStringLiteral("\","),
                      QLatin1Char('"') + unquoted(d.TipAnxE->currentText()) + QStringLiteral("\","),
                      d.NrCrtA->text() + QLatin1Char(','),
                      QLatin1Char('"') + d.SatulE->currentText() + QStringLiteral("\","),
                      QLatin1Char('"') + d.NumeleE->text() + QStringLiteral("\","),
                      number(d.SINCAPE) + QLatin1Char(','),
                      number(d.SSOLE) + QLatin1Char(','),
                      number(d.SAPROBE) + QLatin1Char(','),
                      number(d.SActE) + QLatin1Char(','),
                      QLatin1Char('"') + unquoted(d.MostenE->text()) + QStringLiteral("\",")};
    for (const ui::NumericEdit* land : d.landEdits()) lines.append(number(land) + QLatin1Char(','));
    lines.last().chop(1);
    lines.last().append(QLatin1Char(')'));
    runStatement(lines);
    showChangedLine(id, d.SatulE->currentText());
}

void TTitluriF::EditLineBClick() {
    if (!Anex.isOpen() || Anex.isEmpty()) {
        TForm1::instance().ShowProblem(QStringLiteral("Nu aveti ce modifica!"), EditLineB);
        return;
    }
    const QString id = QString::fromStdString(Anex.field("IDANEXA").asString());
    const QString annex = data::AnnexNames()[page_];
    TAnexaAdd1F& d = TAnexaAdd1F::instance();

    d.TipAnxE->clear();
    store().FillDistinct(d.TipAnxE, tablePath(QStringLiteral("Anexe1.dbf")), QStringLiteral("TIPANX"), QString());
    d.TitluL->setText(QStringLiteral("Modificare ") + annex);
    const auto value = [this](const char* field) { return QString::fromStdString(Anex.field(field).asString()); };
    d.NrCrtA->setText(value("NRCRTA"));
    d.SatulE->setEditText(value("SATUL"));
    d.TipAnxE->setEditText(value("TIPANX"));
    d.MostenE->setText(value("MOSTEN"));
    d.NumeleE->setText(value("NUME"));
    for (const NumericField& f : kNumericFields) (d.*f.edit)->setText(value(f.field));
    ConfigureLineDialog(page_);
    if (!d.Execute()) return;

    runStatement({QStringLiteral("UPDATE \"") + tablePath(QStringLiteral("Anexe1.dbf")) + QLatin1Char('"'),
                  QStringLiteral("SET SATUL=\"") + d.SatulE->currentText() + QStringLiteral("\","),
                  QStringLiteral("TIPANX=\"") + unquoted(d.TipAnxE->currentText()) + QStringLiteral("\","),
                  QStringLiteral("NRCRTA=") + d.NrCrtA->text() + QLatin1Char(','),
                  QStringLiteral("NUME=\"") + d.NumeleE->text() + QStringLiteral("\","),
                  QStringLiteral("SINCAP=") + number(d.SINCAPE) + QLatin1Char(','),
                  QStringLiteral("SSOL=") + number(d.SSOLE) + QLatin1Char(','),
                  QStringLiteral("SAPROB=") + number(d.SAPROBE) + QLatin1Char(','),
                  QStringLiteral("SACT=") + number(d.SActE) + QLatin1Char(','),
                  QStringLiteral("MOSTEN=\"") + unquoted(d.MostenE->text()) + QStringLiteral("\","),
                  QStringLiteral("EXTOT=") + number(d.ExTot) + QLatin1Char(','),
                  QStringLiteral("EXAR=") + number(d.ExAr) + QLatin1Char(','),
                  QStringLiteral("EXVII=") + number(d.ExVii) + QLatin1Char(','),
                  QStringLiteral("EXLIV=") + number(d.ExLiv) + QLatin1Char(','),
                  QStringLiteral("EXPAS=") + number(d.ExPas) + QLatin1Char(','),
                  QStringLiteral("INTOT=") + number(d.InTot) + QLatin1Char(','),
                  QStringLiteral("INAR=") + number(d.InAr) + QLatin1Char(','),
                  QStringLiteral("INVII=") + number(d.InVii) + QLatin1Char(','),
                  QStringLiteral("INLIV=") + number(d.InLiv) + QLatin1Char(','),
                  QStringLiteral("INPAS=") + number(d.InPas) + QLatin1Char(','),
                  QStringLiteral("NEAG=") + number(d.Neag),
                  QStringLiteral("WHERE IDANEXA=") + id});
    showChangedLine(id, d.SatulE->currentText());
}

void TTitluriF::showChangedLine(const QString& id, const QString& village) {
    letPendingEventsRun();
    Anex.close();
    Anex.open();
    letPendingEventsRun();
    Anex.locate("IDANEXA", engine::Value::number(engine::Decimal::fromInt(id.toLongLong())));
    {
        const QSignalBlocker quiet(ComboBox1);
        data::AddComboItem(ComboBox1, village);
        titles::sortFilterItems(ComboBox1);
    }
    FiltruSat();
}

void TTitluriF::DeleteLineBClick() {
    if (!Anex.isOpen() || Anex.isEmpty()) {
        TForm1::instance().ShowProblem(QStringLiteral("Nu aveti ce sterge!"), DeleteLineB);
        return;
    }
    if (Mesaj(QStringLiteral("Stergere linie"), QStringLiteral("Doriti sa stergeti linia?"), mkConfirmation,
              mbDa + mbNu) != mrDa)
        return;
    const QString id = QString::fromStdString(Anex.field("IDANEXA").asString());
    {
        // The titles are freed and the line goes, or neither.
        engine::Transaction unit;
        runStatement({QStringLiteral("UPDATE \"") + tablePath(QStringLiteral("TP.dbf")) + QLatin1Char('"'),
                      QStringLiteral("SET IDANEXA=NULL, ANEXA=\"\""), QStringLiteral("WHERE IDANEXA=") + id});
        letPendingEventsRun();
        runStatement({QStringLiteral("DELETE FROM \"") + tablePath(QStringLiteral("Anexe1.dbf")) + QLatin1Char('"'),
                      QStringLiteral("WHERE IDANEXA=") + id});
        letPendingEventsRun();
        unit.commit();
    }
    // The titles just detached must not keep showing their old line.
    Tx.open();
    Anex.open();
    TotalLab->setText(QString::number(Anex.recordCount()));
}
