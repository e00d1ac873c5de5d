// The form: its controls and their layout, keys, and the statement runner.
#include "titles/titluri_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/message_dialog.h"
#include "app/pictures.h"
#include "app/startup_window.h"
#include "data/annexes.h"
#include "data/data_store.h"
#include "titles/line_detail_panel.h"
#include "titles/title_columns.h"
#include "titles/upper_case_validator.h"
#include "ui/command_button.h"
#include "ui/data_grid.h"
#include "ui/dataset_model.h"
#include "ui/header_band.h"

namespace {

constexpr int kLeftPanelWidth = 214;
using titles::kWidestCode;

QToolButton* commandButton(const QString& caption, const QString& picture, QWidget* parent) {
    return ui::commandButton(caption, pictureIcon(picture), parent);
}

QToolButton* smallButton(const QString& hint, const QString& picture, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setIcon(pictureIcon(picture));
    b->setIconSize(QSize(16, 16));
    b->setToolTip(hint);
    b->setFixedSize(26, 26);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

// A caption strip over a grid.
QLabel* sectionCaption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setStyleSheet(QStringLiteral(
        "QLabel { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #D5E0EF, stop:1 #F4F7FB);"
        " color: #1E3A6E; font-weight: bold; padding: 3px 2px; border-bottom: 1px solid #B8C6DA; }"));
    return label;
}

QLabel* fieldCaption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setStyleSheet(QStringLiteral("color: #1E3A6E;"));
    return label;
}

// Gives a grid's spare width to one of its columns, after every reset of
// the grid's rows too.
void stretchColumn(ui::DataGrid* grid, const QString& field) {
    const auto apply = [grid, field] {
        const int column = grid->datasetModel()->columnOfField(field);
        if (column >= 0) grid->horizontalHeader()->setSectionResizeMode(column, QHeaderView::Stretch);
    };
    QObject::connect(grid->datasetModel(), &QAbstractItemModel::modelReset, grid, apply);
    apply();
}

}  // namespace

TTitluriF::TTitluriF(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("TitluriF"));
    setWindowTitle(QStringLiteral("Terralog"));
    setWindowIcon(applicationIcon());
    resize(1180, 760);

    titles::addShownDate(Tx);
    Tx.onCalcFields = [this](engine::CalcRow& row) { TxCalcFields(row); };
    Tx.afterScroll = [this](engine::Dataset&) { TxAfterScroll(); };
    Anex.afterScroll = [this](engine::Dataset&) { PozitioneazaTx(); };

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    HeaderBand1 = new ui::HeaderBand(QStringLiteral("ANEXE si TITLURI DE PROPRIETATE"), this);
    HeaderBand1->setIcon(pictureIcon(QStringLiteral("terralog-32")), 32);
    root->addWidget(HeaderBand1);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(6, 6, 6, 6);
    body->setSpacing(6);
    root->addLayout(body, 1);
    body->addWidget(buildLeftPanel());

    views_ = new QStackedWidget(this);
    annexView_ = buildAnnexView();
    titlesView_ = buildTitlesView();
    views_->addWidget(annexView_);
    views_->addWidget(titlesView_);
    body->addWidget(views_, 1);

    connectFilters();
    connectCommands();
    connectLinkingSearchAndFiles();

    // The window sees every key before its controls.
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

TTitluriF::~TTitluriF() {
    // The grids and the detail panel observe datasets that are members.
    for (ui::DataGrid* grid : {SMDBGrid1, SMDBGrid2, SMDBGrid3, SMDBGrid4, DBGrid1, DBGrid2}) grid->setDataset(nullptr);
    PageControl2->setDataset(nullptr);
}

data::DataStore& TTitluriF::store() const { return TForm1::instance().store(); }

QString TTitluriF::tablePath(const QString& file) const { return store().tablePath(file); }

bool TTitluriF::annexViewShown() const { return views_->currentWidget() == annexView_ && page_ >= 0 && page_ < 12; }

bool TTitluriF::titlesViewShown() const { return views_->currentWidget() == titlesView_ && page_ == 12; }

QWidget* TTitluriF::buildLeftPanel() {
    auto* panel = new QWidget(this);
    panel->setFixedWidth(kLeftPanelWidth);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);

    ListView1 = new QListWidget(panel);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setViewMode(QListView::ListMode);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setIconSize(QSize(20, 20));
    ListView1->setSpacing(1);
    for (const QString& name : data::AnnexNames())
        ListView1->addItem(new QListWidgetItem(pictureIcon(QStringLiteral("list-annex")), name));
    ListView1->addItem(new QListWidgetItem(pictureIcon(QStringLiteral("list-titles")), QStringLiteral("Total Titluri")));
    column->addWidget(ListView1, 1);

    auto* filters = new QGroupBox(panel);
    auto* grid = new QVBoxLayout(filters);
    grid->setContentsMargins(8, 6, 8, 8);
    grid->setSpacing(3);

    grid->addWidget(fieldCaption(QStringLiteral("Satul"), filters));
    ComboBox1 = new QComboBox(filters);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(false);
    grid->addWidget(ComboBox1);

    grid->addSpacing(4);
    grid->addWidget(fieldCaption(QStringLiteral("Nume si prenume"), filters));
    NumeSrc = new QLineEdit(filters);
    NumeSrc->setObjectName(QStringLiteral("NumeSrc"));
    NumeSrc->setMaxLength(40);
    NumeSrc->setValidator(new titles::UpperCaseValidator(NumeSrc));
    grid->addWidget(NumeSrc);

    grid->addSpacing(4);
    CheckBox1 = new QCheckBox(QStringLiteral("Ordonare alfabetica"), filters);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    grid->addWidget(CheckBox1);
    CheckBox2 = new QCheckBox(QStringLiteral("Numai anexe fara titlu"), filters);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    grid->addWidget(CheckBox2);

    grid->addSpacing(4);
    auto* count = new QHBoxLayout;
    count->addWidget(fieldCaption(QStringLiteral("Total linii"), filters));
    TotalLab = new QLabel(QStringLiteral("0"), filters);
    TotalLab->setObjectName(QStringLiteral("TotalLab"));
    TotalLab->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    TotalLab->setStyleSheet(QStringLiteral("font-weight: bold; color: #1E3A6E;"));
    count->addWidget(TotalLab, 1);
    grid->addLayout(count);

    grid->addSpacing(4);
    Label140 = fieldCaption(QStringLiteral("Anexa"), filters);
    Label140->setObjectName(QStringLiteral("Label140"));
    grid->addWidget(Label140);
    AnexeSelect = new QComboBox(filters);
    AnexeSelect->setObjectName(QStringLiteral("AnexeSelect"));
    AnexeSelect->setEditable(false);
    grid->addWidget(AnexeSelect);
    Label140->hide();
    AnexeSelect->hide();

    column->addWidget(filters);
    return panel;
}

QWidget* TTitluriF::buildAnnexView() {
    auto* view = new QWidget(this);
    auto* column = new QVBoxLayout(view);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Label21 = new QLabel(view);
    Label21->setObjectName(QStringLiteral("Label21"));
    Label21->setStyleSheet(QStringLiteral(
        "QLabel { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #2B4E86, stop:1 #7FA4D8);"
        " color: white; font-weight: bold; font-size: 15px; padding: 4px 8px; }"));
    column->addWidget(Label21);

    SMDBGrid3 = new ui::DataGrid(view);
    SMDBGrid3->setObjectName(QStringLiteral("SMDBGrid3"));
    SMDBGrid3->setColumns({
        {QStringLiteral("NRCRTA"), QStringLiteral("Nr. Poz."), true, {}, {}, 60},
        {QStringLiteral("TIPANX"), QStringLiteral("Anexa"), false, {}, {}, 120},
        {QStringLiteral("SATUL"), QStringLiteral("Satul"), true, {}, {}, 130},
        {QStringLiteral("NUME"), QStringLiteral("Autor"), true, {}, {}, 260},
        {QStringLiteral("MOSTEN"), QStringLiteral("Mostenitori"), false, {}, {}, 240},
        {QStringLiteral("TIT"), QStringLiteral("Numarul"), true, {}, {}, 90},
        {QStringLiteral("SUPTOT"), QStringLiteral("Suprafata totala"), true, {}, {}, 120},
    });
    stretchColumn(SMDBGrid3, QStringLiteral("NUME"));
    SMDBGrid3->setBands({{QStringLiteral("Titlu de proprietate"), QStringLiteral("TIT"), QStringLiteral("SUPTOT")}});
    SMDBGrid3->setDataset(&Anex);
    column->addWidget(SMDBGrid3, 3);

    column->addWidget(sectionCaption(QStringLiteral("  TITLUL DE PROPRIETATE"), view));
    SMDBGrid4 = new ui::DataGrid(view);
    SMDBGrid4->setObjectName(QStringLiteral("SMDBGrid4"));
    SMDBGrid4->setColumns({
        {QStringLiteral("TPNR"), QStringLiteral("Numarul"), true, {}, {}, 90},
        {QStringLiteral("TPCOD"), QStringLiteral("Codul"), true, {}, {}, SMDBGrid4->widthToShow(kWidestCode)},
        // The formatted date, so a title imported without one shows an empty cell here too.
        {QStringLiteral("DATAS"), QStringLiteral("Din data"), true, Qt::AlignCenter, {}, 90},
        {QStringLiteral("TITULAR"), QStringLiteral("Titulari"), true, {}, {}, 330},
        {QStringLiteral("INSAT"), QStringLiteral("Satul"), true, {}, {}, 150},
        {QStringLiteral("SUPTOT"), QStringLiteral("Suprafata Totala (ha)"), true, {}, {}, 140},
    });
    SMDBGrid4->setDataset(&Tx);
    stretchColumn(SMDBGrid4, QStringLiteral("TITULAR"));
    SMDBGrid4->setMinimumHeight(90);
    column->addWidget(SMDBGrid4, 1);

    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(0, 6, 0, 0);
    bottom->setSpacing(8);
    PageControl2 = new titles::LineDetailPanel(view);
    PageControl2->setObjectName(QStringLiteral("PageControl2"));
    PageControl2->setEnabled(false);
    PageControl2->setDataset(&Anex);
    auto* details = new QGroupBox(view);
    auto* detailsLayout = new QVBoxLayout(details);
    detailsLayout->setContentsMargins(2, 2, 2, 2);
    detailsLayout->addWidget(PageControl2);
    bottom->addWidget(details, 1);

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(3);
    AddLineB = commandButton(QStringLiteral("Adauga linie"), QStringLiteral("cmd-add"), view);
    EditLineB = commandButton(QStringLiteral("Modifica linie"), QStringLiteral("cmd-edit"), view);
    DeleteLineB = commandButton(QStringLiteral("Sterge linie"), QStringLiteral("cmd-delete"), view);
    LbSpeedButton2 = commandButton(QStringLiteral("Exporta"), QStringLiteral("cmd-export"), view);
    ImportB = commandButton(QStringLiteral("Importa"), QStringLiteral("cmd-import"), view);
    LbSpeedButton4 = commandButton(QStringLiteral("Adauga titlu existent"), QStringLiteral("cmd-link"), view);
    LbSpeedButton5 = commandButton(QStringLiteral("Introdu titlu nou"), QStringLiteral("cmd-new"), view);
    LbSpeedButton6 = commandButton(QStringLiteral("Detalii titlu selectat"), QStringLiteral("cmd-details"), view);
    LbSpeedButton1 = commandButton(QStringLiteral("Scoate titlu"), QStringLiteral("cmd-unlink"), view);
    AddLineB->setObjectName(QStringLiteral("AddLineB"));
    EditLineB->setObjectName(QStringLiteral("EditLineB"));
    DeleteLineB->setObjectName(QStringLiteral("DeleteLineB"));
    LbSpeedButton2->setObjectName(QStringLiteral("LbSpeedButton2"));
    ImportB->setObjectName(QStringLiteral("ImportB"));
    LbSpeedButton4->setObjectName(QStringLiteral("LbSpeedButton4"));
    LbSpeedButton5->setObjectName(QStringLiteral("LbSpeedButton5"));
    LbSpeedButton6->setObjectName(QStringLiteral("LbSpeedButton6"));
    LbSpeedButton1->setObjectName(QStringLiteral("LbSpeedButton1"));
    for (QToolButton* b : {AddLineB, EditLineB, DeleteLineB}) buttons->addWidget(b);
    buttons->addSpacing(6);
    for (QToolButton* b : {LbSpeedButton2, ImportB}) buttons->addWidget(b);
    buttons->addSpacing(6);
    for (QToolButton* b : {LbSpeedButton4, LbSpeedButton5, LbSpeedButton6, LbSpeedButton1}) buttons->addWidget(b);
    buttons->addStretch();
    auto* buttonColumn = new QWidget(view);
    buttonColumn->setLayout(buttons);
    buttonColumn->setFixedWidth(200);
    bottom->addWidget(buttonColumn);
    column->addLayout(bottom);

    connect(LbSpeedButton2, &QToolButton::clicked, this, &TTitluriF::LbSpeedButton2Click);
    connect(ImportB, &QToolButton::clicked, this, &TTitluriF::ImportBClick);
    return view;
}

QWidget* TTitluriF::buildTitlesView() {
    auto* view = new QWidget(this);
    auto* column = new QVBoxLayout(view);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* caption = new QLabel(QStringLiteral("  TOTAL TITLURI"), view);
    caption->setStyleSheet(Label21->styleSheet());
    column->addWidget(caption);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 6, 0, 0);
    body->setSpacing(8);
    column->addLayout(body, 1);

    // Left column: the commands, the attached files, the search, the sums by category.
    auto* left = new QWidget(view);
    left->setFixedWidth(250);
    auto* commands = new QVBoxLayout(left);
    commands->setContentsMargins(0, 0, 0, 0);
    commands->setSpacing(3);
    TitluAddB = commandButton(QStringLiteral("Adaugare Titlu"), QStringLiteral("cmd-add"), left);
    TitluEditB = commandButton(QStringLiteral("Modificare Titlu"), QStringLiteral("cmd-edit"), left);
    TitluDeleteB = commandButton(QStringLiteral("Stergere Titlu"), QStringLiteral("cmd-delete"), left);
    TitluAddB->setObjectName(QStringLiteral("TitluAddB"));
    TitluEditB->setObjectName(QStringLiteral("TitluEditB"));
    TitluDeleteB->setObjectName(QStringLiteral("TitluDeleteB"));
    for (QToolButton* b : {TitluAddB, TitluEditB, TitluDeleteB}) commands->addWidget(b);
    commands->addSpacing(6);

    auto* files = new QHBoxLayout;
    files->setSpacing(3);
    DBGrid2 = new ui::DataGrid(left);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setColumns({{QStringLiteral("FISIER"), QStringLiteral("Fisiere atasate"), true, {}, {}, 0}});
    stretchColumn(DBGrid2, QStringLiteral("FISIER"));
    QFont small = DBGrid2->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    DBGrid2->setFont(small);
    DBGrid2->verticalHeader()->setDefaultSectionSize(QFontMetrics(small).height() + 4);
    DBGrid2->setFixedHeight(96);
    DBGrid2->setDataset(&Tp);
    files->addWidget(DBGrid2, 1);
    auto* fileButtons = new QVBoxLayout;
    fileButtons->setSpacing(2);
    PozaShowB = smallButton(QStringLiteral("Arata poza"), QStringLiteral("file-show"), left);
    PozaAddB = smallButton(QStringLiteral("Adauga poza"), QStringLiteral("file-add"), left);
    PozaDelB = smallButton(QStringLiteral("Sterge poza"), QStringLiteral("file-delete"), left);
    PozaShowB->setObjectName(QStringLiteral("PozaShowB"));
    PozaAddB->setObjectName(QStringLiteral("PozaAddB"));
    PozaDelB->setObjectName(QStringLiteral("PozaDelB"));
    for (QToolButton* b : {PozaShowB, PozaAddB, PozaDelB}) fileButtons->addWidget(b);
    fileButtons->addStretch();
    files->addLayout(fileButtons);
    commands->addLayout(files);

    PozaMenu = new QMenu(DBGrid2);
    PozaShowItem = PozaMenu->addAction(pictureIcon(QStringLiteral("file-show")), QStringLiteral("Arata poza"));
    PozaAddItem = PozaMenu->addAction(pictureIcon(QStringLiteral("file-add")), QStringLiteral("Adauga poza"));
    PozaDelItem = PozaMenu->addAction(pictureIcon(QStringLiteral("file-delete")), QStringLiteral("Sterge poza"));
    // The menu offers what the buttons beside the grid offer at that moment.
    connect(PozaMenu, &QMenu::aboutToShow, this, [this] {
        PozaShowItem->setEnabled(PozaShowB->isEnabled());
        PozaAddItem->setEnabled(PozaAddB->isEnabled());
        PozaDelItem->setEnabled(PozaDelB->isEnabled());
    });
    DBGrid2->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid2, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PozaMenu->popup(DBGrid2->viewport()->mapToGlobal(at)); });
    commands->addSpacing(6);

    SupAddB = commandButton(QStringLiteral("Adaugare Suprafata"), QStringLiteral("cmd-add"), left);
    SupEditB = commandButton(QStringLiteral("Modificare Suprafata"), QStringLiteral("cmd-edit"), left);
    SupDeleteB = commandButton(QStringLiteral("Stergere Suprafata"), QStringLiteral("cmd-delete"), left);
    SupAddB->setObjectName(QStringLiteral("SupAddB"));
    SupEditB->setObjectName(QStringLiteral("SupEditB"));
    SupDeleteB->setObjectName(QStringLiteral("SupDeleteB"));
    for (QToolButton* b : {SupAddB, SupEditB, SupDeleteB}) commands->addWidget(b);
    commands->addSpacing(6);

    SearchGroup = new QGroupBox(QStringLiteral("Cautare titlu"), left);
    SearchGroup->setObjectName(QStringLiteral("SearchGroup"));
    auto* search = new QGridLayout(SearchGroup);
    search->setContentsMargins(8, 6, 8, 8);
    search->setHorizontalSpacing(6);
    search->setVerticalSpacing(4);
    search->addWidget(new QLabel(QStringLiteral("Autor/i    "), SearchGroup), 0, 0);
    MostSrc = new QLineEdit(SearchGroup);
    MostSrc->setObjectName(QStringLiteral("MostSrc"));
    MostSrc->setValidator(new titles::UpperCaseValidator(MostSrc));
    search->addWidget(MostSrc, 0, 1);
    search->addWidget(new QLabel(QStringLiteral("Nr.titlu     "), SearchGroup), 1, 0);
    TitluSrc = new QLineEdit(SearchGroup);
    TitluSrc->setObjectName(QStringLiteral("TitluSrc"));
    TitluSrc->setMaxLength(16);
    search->addWidget(TitluSrc, 1, 1);
    auto* searchButtons = new QHBoxLayout;
    TitluSearchB = commandButton(QStringLiteral("Cauta"), QStringLiteral("cmd-search"), SearchGroup);
    TitluClearB = commandButton(QStringLiteral("Afiseaza tot"), QStringLiteral("cmd-clear"), SearchGroup);
    TitluSearchB->setObjectName(QStringLiteral("TitluSearchB"));
    TitluClearB->setObjectName(QStringLiteral("TitluClearB"));
    searchButtons->addWidget(TitluSearchB);
    searchButtons->addWidget(TitluClearB);
    search->addLayout(searchButtons, 2, 0, 1, 2);
    commands->addWidget(SearchGroup);
    commands->addSpacing(6);

    commands->addWidget(fieldCaption(QStringLiteral("Totaluri "), left));
    DBGrid1 = new ui::DataGrid(left);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    const int charWidth = DBGrid1->fontMetrics().averageCharWidth();
    DBGrid1->setColumns({
        {QStringLiteral("CATEG"), QString(), true, {}, {}, charWidth * 25 + 12},
        {QStringLiteral("TOT"), QString(), true, {}, QStringLiteral("0.0000"), charWidth * 9 + 12},
    });
    DBGrid1->setTitlesVisible(false);
    DBGrid1->setDataset(&ToX);
    commands->addWidget(DBGrid1, 1);
    body->addWidget(left);

    // Right: the titles, and under a splitter the surfaces of the current title.
    Splitter1 = new QSplitter(Qt::Vertical, view);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setChildrenCollapsible(false);
    auto* top = new QWidget(Splitter1);
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->setSpacing(0);
    topLayout->addWidget(sectionCaption(QStringLiteral("  Lista titlurilor"), top));
    SMDBGrid1 = new ui::DataGrid(top);
    SMDBGrid1->setObjectName(QStringLiteral("SMDBGrid1"));
    SMDBGrid1->setColumns({
        {QStringLiteral("INSAT"), QStringLiteral("Satul"), true, {}, {}, 110},
        {QStringLiteral("ANEXA"), QStringLiteral("Anexa"), true, {}, {}, 105},
        {QStringLiteral("TITULAR"), QStringLiteral("  Autor"), true, {}, {}, 220},
        {QStringLiteral("TPNR"), QStringLiteral("Numar"), true, Qt::AlignRight | Qt::AlignVCenter, {}, 70},
        {QStringLiteral("DATAS"), QStringLiteral("Din data"), true, Qt::AlignCenter, {}, 85},
        {QStringLiteral("TPCOD"), QStringLiteral("Codul"), true, {}, {}, SMDBGrid1->widthToShow(kWidestCode)},
        {QStringLiteral("SUPTOT"), QStringLiteral("Suprafata totala titlu (ha)"), true, {}, {}, 165},
    });
    stretchColumn(SMDBGrid1, QStringLiteral("TITULAR"));
    SMDBGrid1->setDataset(&Tx);
    topLayout->addWidget(SMDBGrid1, 1);
    top->setMinimumHeight(100);

    auto* lower = new QWidget(Splitter1);
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->setSpacing(0);
    lowerLayout->addWidget(sectionCaption(QStringLiteral("  Suprafata primita in proprietate"), lower));
    SMDBGrid2 = new ui::DataGrid(lower);
    SMDBGrid2->setObjectName(QStringLiteral("SMDBGrid2"));
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    SMDBGrid2->setColumns({
        {QStringLiteral("TIP"), QStringLiteral("TIP"), true, {}, {}, 85},
        {QStringLiteral("CATEG"), QStringLiteral("CATEGORIA"), true, {}, {}, 135},
        {QStringLiteral("NRTARLA"), QStringLiteral("Tarla (SOLA)"), true, right, {}, 85},
        {QStringLiteral("PARCELA"), QStringLiteral("Parcela"), true, {}, {}, 60},
        {QStringLiteral("LOT"), QStringLiteral("Lot"), true, right, {}, 45},
        {QStringLiteral("SUPRAF"), QStringLiteral("Supra- fata (ha)"), true, {}, QStringLiteral("0.0000"), 105},
        {QStringLiteral("OBS"), QStringLiteral("Observatii"), true, {}, {}, 120},
        {QStringLiteral("LUNG"), QStringLiteral("Lungime"), true, {}, {}, 65},
        {QStringLiteral("LAT"), QStringLiteral("Latime"), true, {}, {}, 65},
        {QStringLiteral("COMENT"), QStringLiteral("Detalii"), true, {}, {}, 110},
        {QStringLiteral("VECN"), QStringLiteral("NORD"), true, {}, {}, 130},
        {QStringLiteral("VECE"), QStringLiteral("EST"), true, {}, {}, 130},
        {QStringLiteral("VECS"), QStringLiteral("SUD"), true, {}, {}, 130},
        {QStringLiteral("VECV"), QStringLiteral("VEST"), true, {}, {}, 130},
    });
    SMDBGrid2->setBands({{QStringLiteral("Numar topografic"), QStringLiteral("NRTARLA"), QStringLiteral("LOT")},
                         {QStringLiteral("Vecinatati"), QStringLiteral("VECN"), QStringLiteral("VECV")}});
    SMDBGrid2->setDataset(&Dx);
    lowerLayout->addWidget(SMDBGrid2, 1);

    auto* totals = new QHBoxLayout;
    totals->setContentsMargins(6, 6, 6, 2);
    totals->setSpacing(8);
    auto totalLabel = [lower](const QString& name) {
        auto* value = new QLabel(QStringLiteral("0.0000"), lower);
        value->setObjectName(name);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setMinimumWidth(90);
        value->setStyleSheet(QStringLiteral(
            "QLabel { background: white; border: 1px solid #B8C6DA; padding: 2px 6px; font-weight: bold; color: #1E3A6E; }"));
        return value;
    };
    ExtravilanLab = totalLabel(QStringLiteral("ExtravilanLab"));
    IntravilanLab = totalLabel(QStringLiteral("IntravilanLab"));
    GeneralLab = totalLabel(QStringLiteral("GeneralLab"));
    totals->addStretch();
    totals->addWidget(fieldCaption(QStringLiteral("Total extravilan:"), lower));
    totals->addWidget(ExtravilanLab);
    totals->addSpacing(12);
    totals->addWidget(fieldCaption(QStringLiteral("Total intravilan:"), lower));
    totals->addWidget(IntravilanLab);
    totals->addSpacing(12);
    totals->addWidget(fieldCaption(QStringLiteral("Total general:"), lower));
    totals->addWidget(GeneralLab);
    lowerLayout->addLayout(totals);

    Splitter1->addWidget(top);
    Splitter1->addWidget(lower);
    Splitter1->setStretchFactor(0, 3);
    Splitter1->setStretchFactor(1, 2);
    body->addWidget(Splitter1, 1);
    return view;
}

void TTitluriF::connectFilters() {
    connect(ListView1, &QListWidget::itemSelectionChanged, this, &TTitluriF::ListView1SelectItem);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TTitluriF::FiltruSat);
    connect(NumeSrc, &QLineEdit::textChanged, this, &TTitluriF::FiltruSat);
    connect(CheckBox1, &QCheckBox::toggled, this, &TTitluriF::FiltruSat);
    connect(CheckBox2, &QCheckBox::toggled, this, &TTitluriF::FiltruSat);
    connect(AnexeSelect, &QComboBox::currentIndexChanged, this, &TTitluriF::AnexeSelectChange);
}

void TTitluriF::connectCommands() {
    connect(AddLineB, &QToolButton::clicked, this, &TTitluriF::AddLineBClick);
    connect(EditLineB, &QToolButton::clicked, this, &TTitluriF::EditLineBClick);
    connect(DeleteLineB, &QToolButton::clicked, this, &TTitluriF::DeleteLineBClick);
    connect(SMDBGrid3, &ui::DataGrid::deletePressed, this, &TTitluriF::DeleteLineBClick);
    connect(TitluAddB, &QToolButton::clicked, this, &TTitluriF::TitluAddBClick);
    connect(TitluEditB, &QToolButton::clicked, this, &TTitluriF::TitluEditBClick);
    connect(TitluDeleteB, &QToolButton::clicked, this, &TTitluriF::TitluDeleteBClick);
    connect(SMDBGrid1, &ui::DataGrid::deletePressed, this, &TTitluriF::TitluDeleteBClick);
    connect(SupAddB, &QToolButton::clicked, this, &TTitluriF::SupAddBClick);
    connect(SupEditB, &QToolButton::clicked, this, &TTitluriF::SupEditBClick);
    connect(SupDeleteB, &QToolButton::clicked, this, &TTitluriF::SupDeleteBClick);
}

void TTitluriF::runStatement(const QStringList& lines) {
    data::setStatement(Sx, lines);
    if (log_) log_->push_back(lines);
    Sx.execSQL();
}

bool TTitluriF::FormKeyDown(int key) {
    if (key != Qt::Key_Escape) return false;
    close();
    return true;
}

void TTitluriF::keyPressEvent(QKeyEvent* event) {
    if (!FormKeyDown(event->key())) QDialog::keyPressEvent(event);
}

bool TTitluriF::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && FormKeyDown(static_cast<QKeyEvent*>(event)->key())) return true;
    return QDialog::eventFilter(watched, event);
}

void TTitluriF::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    QTimer::singleShot(0, this, &TTitluriF::FormShow);
}

void TTitluriF::FormShow() {
    QCoreApplication::processEvents();
    ListView1->setCurrentRow(0);
    ListView1->item(0)->setSelected(true);
    ListView1->setFocus();
}
