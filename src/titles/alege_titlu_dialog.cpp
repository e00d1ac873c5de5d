#include "titles/alege_titlu_dialog.h"

#include <memory>

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/message_dialog.h"
#include "app/startup_window.h"
#include "data/data_store.h"
#include "titles/title_columns.h"
#include "titles/upper_case_validator.h"
#include "ui/data_grid.h"
#include "ui/header_band.h"

namespace {

std::unique_ptr<TAlegeTitluF> ownedInstance;

}  // namespace

TAlegeTitluF* TAlegeTitluF::instance_ = nullptr;

TAlegeTitluF::TAlegeTitluF(QWidget* parent) : EntryDialog(parent) {
    if (!instance_) instance_ = this;
    setObjectName(QStringLiteral("AlegeTitluF"));
    setFixedSize(760, 480);

    auto* root = startLayout(QStringLiteral("choose-title"), QStringLiteral("Alegere titlu de proprietate"), 10);

    SMDBGrid4 = new ui::DataGrid(this);
    SMDBGrid4->setObjectName(QStringLiteral("SMDBGrid4"));
    SMDBGrid4->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SMDBGrid4->setColumns({
        {QStringLiteral("INSAT"), QStringLiteral("Satul"), true, {}, {}, 140},
        {QStringLiteral("TPNR"), QStringLiteral("Numarul"), true, {}, {}, 90},
        {QStringLiteral("TPCOD"), QStringLiteral("Codul"), true, {}, {}, SMDBGrid4->widthToShow(titles::kWidestCode)},
        {QStringLiteral("DATAS"), QStringLiteral("Din data"), true, Qt::AlignCenter, {}, 90},
        {QStringLiteral("TITULAR"), QStringLiteral("Autor /i"), true, {}, {}, 330},
    });
    titles::addShownDate(Tx);
    Tx.onCalcFields = &titles::fillShownDate;
    SMDBGrid4->setDataset(&Tx);
    auto* gridRow = new QHBoxLayout;
    gridRow->setContentsMargins(12, 0, 12, 0);
    gridRow->addWidget(SMDBGrid4);
    root->addLayout(gridRow, 1);

    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(12, 0, 12, 0);
    auto* search = new QVBoxLayout;
    search->setSpacing(4);
    auto* searchLabel = new QLabel(QStringLiteral("Cautare"), this);
    QFont bold = searchLabel->font();
    bold.setBold(true);
    searchLabel->setFont(bold);
    TPNrX = new QLineEdit(this);
    TPNrX->setObjectName(QStringLiteral("TPNrX"));
    TPNrX->setMaxLength(16);
    TPNrX->setFixedWidth(140);
    TPNrX->setValidator(new titles::UpperCaseValidator(TPNrX));
    QLabel* numberLabel = label(QStringLiteral("Numarul"), this);
    numberLabel->setBuddy(TPNrX);
    numberLabel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    auto* number = new QHBoxLayout;
    number->setSpacing(8);
    number->addWidget(numberLabel);
    number->addWidget(TPNrX);
    number->addStretch(1);
    search->addWidget(searchLabel);
    search->addLayout(number);
    bottom->addLayout(search);
    bottom->addStretch(1);
    LbButton1 = button(QStringLiteral("&Alege"), QStringLiteral("LbButton1"), this);
    LbButton2 = button(QStringLiteral("&Renunt"), QStringLiteral("LbButton2"), this);
    bottom->addWidget(LbButton1, 0, Qt::AlignBottom);
    bottom->addWidget(LbButton2, 0, Qt::AlignBottom);
    root->addLayout(bottom);

    setTabOrder(SMDBGrid4, TPNrX);
    setTabOrder(TPNrX, LbButton1);
    setTabOrder(LbButton1, LbButton2);

    connect(TPNrX, &QLineEdit::textChanged, this, &TAlegeTitluF::TPNrXChange);
    connect(SMDBGrid4, &ui::DataGrid::titleClicked, this, &TAlegeTitluF::SMDBGrid4TitleClick);
    connect(SMDBGrid4, &ui::DataGrid::rowDoubleClicked, this, &TAlegeTitluF::LbButton1Click);
    connect(LbButton1, &QPushButton::clicked, this, &TAlegeTitluF::LbButton1Click);
    connect(LbButton2, &QPushButton::clicked, this, &TAlegeTitluF::LbButton2Click);
    previewKeys();
}

TAlegeTitluF::~TAlegeTitluF() {
    SMDBGrid4->setDataset(nullptr);
    if (instance_ == this) instance_ = nullptr;
}

TAlegeTitluF& TAlegeTitluF::instance() {
    if (!instance_) ownedInstance = std::make_unique<TAlegeTitluF>();
    return *instance_;
}

QString TAlegeTitluF::ChooseTitle() {
    const data::DataStore& store = TForm1::instance().store();
    data::ResetQuery(Tx);
    data::setStatement(Tx, {QStringLiteral("SELECT * FROM \"") + store.tablePath(QStringLiteral("TP.dbf")) +
                                QLatin1Char('"'),
                            QStringLiteral("WHERE (IDANEXA IS NULL) OR (IDANEXA<0)"),
                            QStringLiteral("ORDER BY TITULAR")});
    Tx.open();
    QApplication::processEvents();
    ChosenId.clear();
    {
        const QSignalBlocker quiet(TPNrX);
        TPNrX->clear();
    }
    TPNrXChange();
    SMDBGrid4->setFocus();
    runModal();
    Tx.close();
    return ChosenId;
}

void TAlegeTitluF::LbButton1Click() {
    if (!Tx.isOpen() || Tx.isEmpty()) {
        Mesaj(QStringLiteral("Alegere titlu"), QStringLiteral("Nu aveti ce alege!"), mkError, mbOk);
        reject();
        return;
    }
    ChosenId = QString::fromStdString(Tx.field("IDTP").asString());
    accept();
}

void TAlegeTitluF::LbButton2Click() { reject(); }

void TAlegeTitluF::TPNrXChange() {
    // A single quote would end the filter's text literal early.
    const QString typed = TPNrX->text().trimmed().remove(QLatin1Char('\''));
    if (typed.isEmpty()) {
        Tx.setFiltered(false);
        return;
    }
    Tx.setFilter((QStringLiteral("TPNR='") + typed + QStringLiteral("*'")).toStdString());
    Tx.setFiltered(true);
}

void TAlegeTitluF::SMDBGrid4TitleClick(const QString& field) {
    if (Tx.recordCount() <= 1) return;
    const engine::Value current = Tx.field("IDTP").value();
    {
        // The grid stays as it is until the sorted rows are in, error or not.
        struct Quiet {
            engine::Dataset& d;
            explicit Quiet(engine::Dataset& ds) : d(ds) { d.disableControls(); }
            ~Quiet() { d.enableControls(); }
        } quiet(Tx);
        Tx.close();
        Tx.setLine(2, (QStringLiteral("ORDER BY ") + titles::sortFieldOf(field)).toStdString());
        Tx.open();
        QApplication::processEvents();
    }
    Tx.locate("IDTP", current);
}

bool TAlegeTitluF::handleKey(QWidget* focused, int key) {
    if (key == Qt::Key_Escape) {
        LbButton2Click();
        return true;
    }
    if (isEnter(key) && focused == SMDBGrid4) {
        LbButton1Click();
        return true;
    }
    return false;
}
