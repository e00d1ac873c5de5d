// Opening the form, switching pages, and the annex view: the filtered list of
// an annex's lines and the titles of the current line.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QListWidget>
#include <QSignalBlocker>
#include <QStackedWidget>

#include "data/annexes.h"
#include "data/data_store.h"
#include "engine/decimal.h"
#include "titles/annex_list_query.h"
#include "titles/annex_lists.h"
#include "titles/line_detail_panel.h"
#include "titles/no_match_key.h"
#include "titles/titluri_form.h"
#include "ui/data_grid.h"

namespace {

void letPendingEventsRun() { QCoreApplication::processEvents(); }

}  // namespace

QString TTitluriF::annexTypeFile(int index) const {
    const QString name = index == 9 ? QStringLiteral("L1.txt") : QStringLiteral("L247.txt");
    return store().AppDir() + QDir::separator() + name;
}

void TTitluriF::ShowTitlesForm() {
    prepareOpening();
    // Maximised, and the size of the screen also where no window manager maximises.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(screen->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
    exec();
    closeDown();
}

void TTitluriF::prepareOpening() {
    BusyCount = 0;
    SelectCount = 0;
    letPendingEventsRun();
    try {
        {
            const QSignalBlocker quiet(ComboBox1);
            ComboBox1->clear();
            ComboBox1->addItem(data::kAllValues);
            store().FillDistinct(ComboBox1, tablePath(QStringLiteral("Anexe1.dbf")), QStringLiteral("SATUL"), QString());
            titles::sortFilterItems(ComboBox1);
            ComboBox1->setCurrentIndex(0);
        }
        writeAnnexTypeFile(data::AnnexNames()[9], annexTypeFile(9));
        writeAnnexTypeFile(data::AnnexNames()[10], annexTypeFile(10));

        data::setStatement(Tx, {QStringLiteral("SELECT * FROM \"") + tablePath(QStringLiteral("TP.dbf")) + QLatin1Char('"'),
                                QStringLiteral(" "), QStringLiteral("ORDER BY TITULAR")});
        Tx.open();
        letPendingEventsRun();
        ShowPage(0);
        letPendingEventsRun();
    } catch (...) {
        closeDown();
        throw;
    }
}

void TTitluriF::writeAnnexTypeFile(const QString& annex, const QString& path) {
    const QSignalBlocker quiet(AnexeSelect);
    AnexeSelect->clear();
    AnexeSelect->addItem(data::kAllValues);
    store().FillDistinct(AnexeSelect, tablePath(QStringLiteral("Anexe1.dbf")), QStringLiteral("TIPANX"),
                         QStringLiteral("ANEXA=\"") + annex + QLatin1Char('"'));
    titles::sortFilterItems(AnexeSelect);
    titles::writeListFile(path, titles::itemsOf(AnexeSelect));
}

void TTitluriF::closeDown() {
    Tx.close();
    Dx.close();
    Anex.close();
    ToX.close();
    Tp.close();
    QFile::remove(annexTypeFile(9));
    QFile::remove(annexTypeFile(10));
}

void TTitluriF::ShowPage(int index) {
    if (index < 0 || index > data::kTitlesViewIndex) return;
    const bool lawPage = index == 9 || index == 10;
    if (index < data::kTitlesViewIndex) {
        Dx.close();
        Tp.close();
        page_ = index;
        Label21->setText(data::AnnexNames()[index]);
        views_->setCurrentWidget(annexView_);
        PageControl2->showAnnex(index);
    } else {
        Anex.close();
        page_ = index;
        showTitlesView();
    }

    SMDBGrid3->setColumnVisible(QStringLiteral("MOSTEN"), index == 2 || index == 7);
    SMDBGrid3->setColumnVisible(QStringLiteral("TIPANX"), lawPage);
    Label140->setVisible(lawPage);
    AnexeSelect->setVisible(lawPage);

    if (index < data::kTitlesViewIndex) {
        if (lawPage) loadAnnexTypes(index);
        composeAnnexList(index);
        if (Tx.lines().size() > 1 && !QString::fromStdString(Tx.lines()[1]).trimmed().isEmpty()) {
            Tx.setLine(1, " ");
            letPendingEventsRun();
            Tx.open();
            letPendingEventsRun();
        }
        FiltruSat();
        letPendingEventsRun();
        TotalLab->setText(QString::number(Anex.recordCount()));
        letPendingEventsRun();
    }
    letPendingEventsRun();
}

void TTitluriF::loadAnnexTypes(int index) {
    // A newly shown law page is never restricted by annex type.
    const QSignalBlocker quiet(AnexeSelect);
    AnexeSelect->clear();
    AnexeSelect->addItems(titles::readListFile(annexTypeFile(index)));
    AnexeSelect->setCurrentIndex(0);
}

void TTitluriF::composeAnnexList(int index) { data::setStatement(Anex, titles::annexListStatement(store(), index)); }

void TTitluriF::FiltruSat() {
    if (!annexViewShown()) return;
    if (++BusyCount > 1) return;

    Anex.disableControls();
    const std::string key =
        Anex.isOpen() && !Anex.isEmpty() ? Anex.field("IDANEXA").asString() : std::string("-1");
    Anex.close();

    titles::AnnexListFilters filters;
    if (ComboBox1->currentIndex() > 0) filters.village = ComboBox1->currentText();
    filters.name = NumeSrc->text();
    if (AnexeSelect->currentIndex() > 0) filters.annexType = AnexeSelect->currentText();
    filters.alphabetical = CheckBox1->isChecked();
    filters.withoutTitle = CheckBox2->isChecked();

    if (filters.withoutTitle) {
        Anex.setFilter(titles::kWithoutTitleFilter);
        Anex.setFiltered(true);
    } else {
        Anex.setFiltered(false);
        Anex.setFilter(std::string());
    }
    Anex.setLine(6, titles::annexListCondition(page_, filters).toStdString());
    Anex.setLine(9, titles::annexListOrder(filters));

    const auto positionTitles = Anex.afterScroll;
    try {
        letPendingEventsRun();
        Anex.afterScroll = nullptr;
        letPendingEventsRun();
        Anex.open();
        letPendingEventsRun();
        if (Anex.isOpen()) {
            if (const auto id = engine::Decimal::parse(key)) Anex.locate("IDANEXA", engine::Value::number(*id));
        }
    } catch (...) {
        // The list stays closed and empty until the next refresh that works.
        Anex.enableControls();
        Anex.afterScroll = positionTitles;
        PozitioneazaTx();
        TotalLab->setText(QStringLiteral("0"));
        BusyCount = 0;
        throw;
    }
    Anex.enableControls();
    letPendingEventsRun();
    Anex.afterScroll = positionTitles;
    letPendingEventsRun();
    PozitioneazaTx();
    letPendingEventsRun();
    TotalLab->setText(QString::number(Anex.recordCount()));

    const int asked = BusyCount;
    BusyCount = 0;
    if (asked > 1) FiltruSat();
}

void TTitluriF::PozitioneazaTx() {
    std::string key = titles::kNoMatchKey;
    if (Anex.isOpen() && !Anex.isEmpty()) {
        const std::string id = Anex.field("IDANEXA").asString();
        const std::string village = Anex.field("SATUL").asString();
        if (!QString::fromStdString(id).trimmed().isEmpty() && !village.empty()) key = id;
    }
    Tx.setFilter("IDANEXA=" + key);
    Tx.setFiltered(true);
}

void TTitluriF::ListView1SelectItem() {
    const QList<QListWidgetItem*> selected = ListView1->selectedItems();
    if (selected.isEmpty()) return;
    if (++SelectCount > 1) return;
    try {
        ShowPage(ListView1->row(selected.first()));
    } catch (...) {
        SelectCount = 0;
        throw;
    }
    for (int i = 0; i < 5; ++i) letPendingEventsRun();
    const int asked = SelectCount;
    SelectCount = 0;
    if (asked > 1) ListView1SelectItem();
}

void TTitluriF::AnexeSelectChange() {
    if (page_ == 9) FiltruSat();
}
