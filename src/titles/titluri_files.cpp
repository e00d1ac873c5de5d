// Files attached to a title: only their paths are stored (table Fisiere), and
// the desktop opens them with the application associated with their type.
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>

#include "app/message_dialog.h"
#include "app/progress_window.h"
#include "engine/decimal.h"
#include "engine/transaction.h"
#include "platform/dialogs.h"
#include "platform/text_codec.h"
#include "titles/stored_path.h"
#include "titles/titluri_form.h"
#include "ui/data_grid.h"

namespace {

void letPendingEventsRun() { QCoreApplication::processEvents(); }

// FISIER holds 120 characters of code page 1250.
constexpr int kStoredPathLength = 120;

const QString kAttachTitle = QStringLiteral("Atasare fisier");

QString storedPath(const engine::Dataset& ds) { return QString::fromStdString(ds.field("FISIER").asString()); }

engine::Value text(const QString& value) { return engine::Value::text(value.toStdString()); }

// A path cut to the field's width would point nowhere: such a file is not
// stored, and the user is told why.
bool fitsStoredPath(const QString& path, const QString& heading) {
    if (platform::toCp1250Lossy(path).size() <= kStoredPathLength) return true;
    Mesaj(heading,
          QStringLiteral("Adresa fisierului este prea lunga (peste %1 de caractere) si nu poate fi memorata!\r"
                         "Mutati fisierul intr-un dosar cu adresa mai scurta.")
              .arg(kStoredPathLength),
          mkError, mbOk);
    return false;
}

}  // namespace

void TTitluriF::setUpFileCommands() {
    // A long path keeps its drive and its file name in sight; the hint
    // shows it whole.
    DBGrid2->setTextElideMode(Qt::ElideMiddle);

    connect(PozaShowB, &QToolButton::clicked, this, &TTitluriF::PozaShowBClick);
    connect(PozaAddB, &QToolButton::clicked, this, &TTitluriF::PozaAddBClick);
    connect(PozaDelB, &QToolButton::clicked, this, &TTitluriF::PozaDelBClick);
    connect(PozaShowItem, &QAction::triggered, this, &TTitluriF::PozaShowBClick);
    connect(PozaAddItem, &QAction::triggered, this, &TTitluriF::PozaAddBClick);
    connect(PozaDelItem, &QAction::triggered, this, &TTitluriF::PozaDelBClick);
    connect(DBGrid2, &ui::DataGrid::rowDoubleClicked, this, &TTitluriF::PozaShowBClick);
    connect(DBGrid2, &ui::DataGrid::enterPressed, this, &TTitluriF::PozaShowBClick);
    connect(DBGrid2, &ui::DataGrid::deletePressed, this, [this] {
        if (PozaDelB->isEnabled()) PozaDelBClick();
    });
    Tp.afterScroll = [this](engine::Dataset&) { TpAfterScroll(); };
}

void TTitluriF::TpAfterScroll() {
    DBGrid2->setToolTip(Tp.isOpen() && !Tp.isEmpty() ? storedPath(Tp) : QString());
}

void TTitluriF::PozaShowBClick() {
    if (!Tp.isOpen() || Tp.isEmpty()) return;
    const QString stored = storedPath(Tp);
    if (!stored.isEmpty() && QFileInfo::exists(stored)) {
        platform::openWithShell(stored);
        return;
    }
    const titles::StoredPath old = titles::StoredPath::split(stored);
    if (Mesaj(QStringLiteral("Arata poza"),
              QStringLiteral("Fisierul ") + old.name + QStringLiteral(" nu mai exista la adresa ") + old.folder +
                  QStringLiteral("!\rDoriti sa indicati o adresa noua?"),
              mkError, mbDa + mbNu) != mrDa)
        return;
    const std::optional<QString> chosen =
        platform::askOpenFileName(this, kAttachTitle, QString(), QString(), old.folder + old.name);
    if (!chosen) return;
    const QString newPath = QDir::toNativeSeparators(*chosen);
    const titles::StoredPath now = titles::StoredPath::split(newPath);
    const QString heading = QStringLiteral("Schimbare adresa");
    if (now.folder == old.folder) {
        Mesaj(heading,
              QStringLiteral("Adresa este aceeasi!\rFisierul ") + old.name +
                  QStringLiteral(" nu exista la adresa indicata!"),
              mkError, mbOk);
        return;
    }
    if (now.name != old.name) {
        Mesaj(heading, QStringLiteral("Fisierul ") + old.name + QStringLiteral(" nu a fost indicat corect!"), mkError,
              mbOk);
        return;
    }
    if (!fitsStoredPath(newPath, heading)) return;
    Tp.edit();
    Tp.setValue("FISIER", text(newPath));
    Tp.post();
    if (Mesaj(heading,
              QStringLiteral("Adresa a fost schimbata!\rDoriti sa schimbam adresa la toate fisierele memorate?"),
              mkConfirmation, mbDa + mbNu) != mrDa)
        return;
    RelocateFiles(now.folder);
}

void TTitluriF::RelocateFiles(const QString& newFolder) {
    const bool onTitle = Tp.isOpen() && !Tp.isEmpty();
    const engine::Value title = onTitle ? Tp.field("IDTP").value() : engine::Value();
    TContor& progress = TContor::instance();
    Tp.close();
    letPendingEventsRun();
    progress.Bar->setValue(0);
    progress.Descr->setText(QStringLiteral("Schimb adresele..."));

    // The form comes back the same way whether the walk ended or failed.
    auto giveBack = [&] {
        try {
            Ty.close();
            letPendingEventsRun();
            Ty.setTableName(std::string());
            Tp.open();
            letPendingEventsRun();
            if (onTitle) Tp.locate("IDTP", title);
            letPendingEventsRun();
        } catch (...) {
            progress.Distruge(this);
            throw;
        }
        progress.Distruge(this);
    };

    try {
        // Every stored path changes, or none does.
        engine::Transaction unit;
        Ty.setTableName(tablePath(QStringLiteral("Fisiere.dbf")).toStdString());
        letPendingEventsRun();
        Ty.open();
        progress.Arata(this);
        letPendingEventsRun();
        progress.Bar->setMaximum(Ty.recordCount());
        for (Ty.first(); !Ty.eof(); Ty.next()) {
            const QString path = storedPath(Ty).trimmed();
            if (!path.isEmpty()) {
                Ty.edit();
                Ty.setValue("FISIER", text(newFolder + titles::StoredPath::split(path).name));
                Ty.post();
                letPendingEventsRun();
            }
            progress.Bar->setValue(progress.Bar->value() + 1);
            letPendingEventsRun();
        }
        unit.commit();
    } catch (...) {
        // The error that stopped the walk is the one to report.
        try {
            giveBack();
        } catch (...) {
        }
        throw;
    }
    giveBack();
}

void TTitluriF::PozaAddBClick() {
    if (!Tx.isOpen() || Tx.isEmpty() || !Tp.isOpen()) return;
    const QString folder = Tp.isEmpty() ? attachFolder_ : titles::StoredPath::split(storedPath(Tp)).folder;
    const std::optional<QString> chosen = platform::askOpenFileName(this, kAttachTitle, QString(), QString(), folder);
    if (!chosen) return;
    const QString path = QDir::toNativeSeparators(*chosen);
    attachFolder_ = titles::StoredPath::split(path).folder;
    if (!fitsStoredPath(path, kAttachTitle)) return;
    Tp.append();
    Tp.setValue("IDTP", engine::Value::number(engine::Decimal::fromInt(Tx.field("IDTP").asInteger())));
    Tp.setValue("FISIER", text(path));
    Tp.post();
    PozaShowB->setEnabled(true);
    PozaDelB->setEnabled(true);
}

void TTitluriF::PozaDelBClick() {
    if (!Tp.isOpen() || Tp.isEmpty()) return;
    if (Mesaj(QStringLiteral("Dezactivare poza"), QStringLiteral("Doriti dezactivarea pozei?"), mkConfirmation,
              mbDa + mbNu) != mrDa)
        return;
    Tp.deleteRecord();
    letPendingEventsRun();
    if (Tp.isEmpty()) {
        PozaDelB->setEnabled(false);
        PozaShowB->setEnabled(false);
    }
}
