#include "reports/report_form.h"

#include <algorithm>

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGuiApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProgressBar>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/message_dialog.h"
#include "app/pictures.h"
#include "app/progress_window.h"
#include "app/startup_window.h"
#include "data/annexes.h"
#include "data/data_store.h"
#include "data/text_routines.h"
#include "exchange/data_export.h"
#include "exchange/export_folder.h"
#include "exchange/grid_export_source.h"
#include "platform/dialogs.h"
#include "reports/annex_summary.h"
#include "reports/filter_text_validator.h"
#include "ui/command_button.h"
#include "ui/data_grid.h"
#include "ui/dataset_model.h"
#include "ui/header_band.h"
#include "ui/numeric_edit.h"

namespace reports {
namespace {

constexpr int kSortLine = 7;
constexpr int kTotalsFilterLine = 4;

void letPendingEventsRun() { QCoreApplication::processEvents(); }

QToolButton* commandButton(const QString& caption, const QString& picture, QWidget* parent) {
    return ui::commandButton(caption, pictureIcon(picture), parent);
}

QLabel* figureLabel(const QString& name, QWidget* parent) {
    auto* value = new QLabel(parent);
    value->setObjectName(name);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setMinimumWidth(120);
    value->setStyleSheet(QStringLiteral(
        "QLabel { background: white; border: 1px solid #B8C6DA; padding: 2px 6px; font-weight: bold; color: #1E3A6E; }"));
    return value;
}

QString areaText(engine::Decimal area) { return QString::fromStdString(area.toFixed(4)); }

// The visible columns of a grid in their order, with the widths shown.
ReportGrid gridOf(const ui::DataGrid* grid) {
    ReportGrid out;
    out.rows = grid->dataset();
    const auto& columns = grid->datasetModel()->columns();
    for (int c = 0; c < int(columns.size()); ++c) {
        if (grid->isColumnHidden(c)) continue;
        ui::GridColumn column = columns[size_t(c)];
        column.width = grid->columnWidth(c);
        out.columns.push_back(column);
    }
    return out;
}

}  // namespace

ReportForm::ReportForm(const QString& header, const QString& countCaption, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      countCaption_(countCaption) {
    setWindowTitle(QStringLiteral("Terralog"));
    setWindowIcon(applicationIcon());

    Tx.addCalculatedField({"NRC", engine::FieldType::Number, 10, 0, 'N'});
    Tx.onCalcFields = [this](engine::CalcRow& row) { TxCalcFields(row); };
    Tx.afterScroll = [this](engine::Dataset&) { TxAfterScroll(); };

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    HeaderBand1 = new ui::HeaderBand(header, this);
    HeaderBand1->setIcon(pictureIcon(QStringLiteral("menu-reports")), 32);
    CloseB = new QToolButton(HeaderBand1);
    CloseB->setObjectName(QStringLiteral("CloseB"));
    CloseB->setText(QStringLiteral("Iesire"));
    CloseB->setIcon(pictureIcon(QStringLiteral("menu-exit")));
    CloseB->setIconSize(QSize(24, 24));
    CloseB->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    CloseB->setAutoRaise(true);
    CloseB->setFocusPolicy(Qt::NoFocus);
    CloseB->setStyleSheet(QStringLiteral("QToolButton { color: white; font-weight: bold; padding: 2px 8px; }"));
    HeaderBand1->addWidget(CloseB);
    root->addWidget(HeaderBand1);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(6, 6, 6, 6);
    body->setSpacing(6);
    root->addLayout(body, 1);

    filterSlot_ = new QVBoxLayout;
    filterSlot_->setContentsMargins(0, 0, 0, 0);
    body->addLayout(filterSlot_);

    // The report over the totals; the clerk may move the border between them.
    Splitter = new QSplitter(Qt::Vertical, this);
    Splitter->setObjectName(QStringLiteral("Splitter"));
    Splitter->setChildrenCollapsible(false);
    SMDBGrid3 = new ui::DataGrid(Splitter);
    SMDBGrid3->setObjectName(QStringLiteral("SMDBGrid3"));
    SMDBGrid3->setDataset(&Tx);
    // The holders take the width the other columns leave.
    SMDBGrid3->fitColumnsToContents(QStringLiteral("TITULAR"));
    Splitter->addWidget(SMDBGrid3);
    Splitter->addWidget(buildBottom(countCaption));
    Splitter->setStretchFactor(0, 1);
    Splitter->setStretchFactor(1, 0);
    body->addWidget(Splitter, 1);

    connect(CloseB, &QToolButton::clicked, this, &ReportForm::CloseBClick);
    connect(LbSpeedButton1, &QToolButton::clicked, this, &ReportForm::LbSpeedButton1Click);
    connect(ExportB, &QToolButton::clicked, this, &ReportForm::ExportBClick);
    connect(PrintB, &QToolButton::clicked, this, &ReportForm::TiparesteBClick);
    connect(SMDBGrid3, &ui::DataGrid::titleClicked, this, &ReportForm::SMDBGrid3TitleClick);
    connect(SMDBGrid3, &ui::DataGrid::cellClicked, this, &ReportForm::SMDBGrid3CellClick);
    clearFigures();
}

// The totals take the height their rows need, up to half the room, or more
// of it when the report's rows need less, so that a selection's 20 to 40
// sums mostly show without scrolling.
void ReportForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    const auto heightFor = [](const ui::DataGrid* grid, int rows) {
        return grid->horizontalHeader()->height() + rows * grid->verticalHeader()->defaultSectionSize() +
               2 * grid->frameWidth() + grid->horizontalScrollBar()->sizeHint().height();
    };
    const int room = Splitter->height() - Splitter->handleWidth();
    const int wanted = heightFor(DBGrid1, std::max(ToX.isOpen() ? ToX.recordCount() : 0, 8));
    const int reportWanted = heightFor(SMDBGrid3, Tx.isOpen() ? Tx.recordCount() : 0);
    const int bottom = std::clamp(wanted, DBGrid1->minimumHeight(), std::max(room / 2, room - reportWanted));
    Splitter->setSizes({room - bottom, bottom});
}

ReportForm::~ReportForm() {
    // The grids observe datasets that are members.
    SMDBGrid3->setDataset(nullptr);
    DBGrid1->setDataset(nullptr);
}

QWidget* ReportForm::buildBottom(const QString& countCaption) {
    auto* bottom = new QWidget(this);
    auto* row = new QHBoxLayout(bottom);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);

    DBGrid1 = new ui::DataGrid(bottom);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setColumns({
        {QStringLiteral("TIP"), QStringLiteral("Tip"), true, {}, {}, 110},
        {QStringLiteral("CATEG"), QStringLiteral("Categoria"), true, {}, {}, 190},
        {QStringLiteral("TT"), QStringLiteral("Suprafata"), true, {}, QStringLiteral("0.0000"), 110},
    });
    DBGrid1->setDataset(&ToX);
    DBGrid1->fitColumnsToContents(QStringLiteral("CATEG"));
    DBGrid1->setMinimumSize(440, 170);
    row->addWidget(DBGrid1, 1);

    auto* figures = new QWidget(bottom);
    auto* grid = new QGridLayout(figures);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    CountLab = figureLabel(QStringLiteral("CountLab"), figures);
    TotalLab = figureLabel(QStringLiteral("TotalLab"), figures);
    RegisterLab = figureLabel(QStringLiteral("RegisterLab"), figures);
    DifferenceLab = figureLabel(QStringLiteral("DifferenceLab"), figures);
    const std::pair<QString, QLabel*> lines[] = {{countCaption, CountLab},
                                                 {QStringLiteral("Total suprafata"), TotalLab},
                                                 {QStringLiteral("Conf.Reg.Func."), RegisterLab},
                                                 {QStringLiteral("Diferenta"), DifferenceLab}};
    int r = 0;
    for (const auto& [caption, value] : lines) {
        auto* label = new QLabel(caption, figures);
        label->setStyleSheet(QStringLiteral("color: #1E3A6E;"));
        grid->addWidget(label, r, 0);
        grid->addWidget(value, r, 1);
        ++r;
    }
    grid->setRowStretch(r, 1);
    row->addWidget(figures);

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(4);
    LbSpeedButton1 = commandButton(QStringLiteral("Valoare Reg.Funciar"), QStringLiteral("cmd-edit"), bottom);
    ExportB = commandButton(QStringLiteral("Exporta"), QStringLiteral("cmd-export"), bottom);
    PrintB = commandButton(QStringLiteral("Tipareste"), QStringLiteral("cmd-details"), bottom);
    LbSpeedButton1->setObjectName(QStringLiteral("LbSpeedButton1"));
    ExportB->setObjectName(QStringLiteral("ExportB"));
    PrintB->setObjectName(QStringLiteral("PrintB"));
    buttons->addWidget(LbSpeedButton1);
    auto* exportRow = new QHBoxLayout;
    exportRow->addWidget(ExportB);
    exportRow->addWidget(PrintB);
    buttons->addLayout(exportRow);
    buttons->addStretch();
    auto* buttonColumn = new QWidget(bottom);
    buttonColumn->setLayout(buttons);
    buttonColumn->setFixedWidth(250);
    row->addWidget(buttonColumn);
    return bottom;
}

void ReportForm::setFilterPanel(const std::vector<FilterColumn>& columns) {
    auto* panel = new QGroupBox(this);
    panel->setObjectName(QStringLiteral("FilterPanel"));
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(10, 8, 10, 8);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(5);
    QWidget* previous = nullptr;
    for (int c = 0; c < int(columns.size()); ++c) {
        for (int r = 0; r < int(columns[size_t(c)].size()); ++r) {
            const auto& [caption, control] = columns[size_t(c)][size_t(r)];
            auto* label = new QLabel(caption, panel);
            label->setStyleSheet(QStringLiteral("color: #1E3A6E;"));
            label->setBuddy(control);
            grid->addWidget(label, r, 2 * c);
            grid->addWidget(control, r, 2 * c + 1);
            control->setMinimumWidth(200);
            if (previous) setTabOrder(previous, control);
            previous = control;
        }
        grid->setColumnStretch(2 * c + 1, 1);
        if (c > 0) grid->setColumnMinimumWidth(2 * c, 110);
    }
    ClearB = commandButton(QStringLiteral("Sterge alegerile"), QStringLiteral("cmd-clear"), panel);
    ClearB->setObjectName(QStringLiteral("ClearB"));
    ClearB->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    grid->addWidget(ClearB, 0, 2 * int(columns.size()), Qt::AlignTop);
    connect(ClearB, &QToolButton::clicked, this, &ReportForm::ClearBClick);
    filterSlot_->addWidget(panel);
}

QComboBox* ReportForm::filterList(const QString& name) {
    auto* box = new QComboBox(this);
    box->setObjectName(name);
    box->setEditable(false);
    box->setMaxVisibleItems(20);
    connect(box, &QComboBox::currentIndexChanged, this, &ReportForm::SatBoxChange);
    return box;
}

QLineEdit* ReportForm::filterText(const QString& name, int maxLength) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setMaxLength(maxLength);
    edit->setValidator(new FilterTextValidator(edit));
    connect(edit, &QLineEdit::textChanged, this, &ReportForm::SatBoxChange);
    return edit;
}

ui::NumericEdit* ReportForm::parcelBox() {
    auto* edit = new ui::NumericEdit(this);
    edit->setObjectName(QStringLiteral("ParcelaNr"));
    edit->setMaxLength(6);
    edit->setText(QStringLiteral("0"));
    connect(edit, &QLineEdit::textChanged, this, &ReportForm::SatBoxChange);
    return edit;
}

data::DataStore& ReportForm::store() const { return TForm1::instance().store(); }

QString ReportForm::tablePath(const QString& file) const { return store().tablePath(file); }

QString ReportForm::literal(const QString& text) {
    QString value = text;
    return value.remove(QLatin1Char('"'));
}

void ReportForm::fillList(QComboBox* box, const QString& table, const QString& field) {
    const QSignalBlocker quiet(box);
    box->clear();
    box->addItem(data::kAllValues);
    store().FillDistinct(box, tablePath(table), field, field + QStringLiteral(">\"\""));
    box->setCurrentIndex(0);
}

ReportForm::SetFilter ReportForm::equalTo(const QString& field, const QString& caption, const QString& value) {
    return {QStringLiteral("(%1=\"%2\")").arg(field, literal(value)), caption + QStringLiteral(": ") + value};
}

void ReportForm::addPlotNumber(std::vector<SetFilter>& filters, const QLineEdit* plotNumber) {
    if (!plotNumber->text().isEmpty())
        filters.push_back(equalTo(QStringLiteral("NRTARLA"), QStringLiteral("Numar tarla"), plotNumber->text()));
}

void ReportForm::addParcel(std::vector<SetFilter>& filters, const ui::NumericEdit* parcel) {
    // Written as typed; 0 and an empty box restrict nothing.
    if (!parcel->text().isEmpty() && parcel->value() != engine::Decimal())
        filters.push_back({QStringLiteral("(PARCELA=") + parcel->text() + QLatin1Char(')'),
                           QStringLiteral("Parcela: ") + parcel->valueText()});
}

QString ReportForm::BuildConditions() const {
    QString conditions;
    for (const SetFilter& f : setFilters()) conditions += f.condition;
    return data::JoinConditions(conditions);
}

void ReportForm::OpenReport() {
    prepareOpening();
    // Maximised, and the size of the screen also where no window manager maximises.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(screen->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
    exec();
    closeDown();
}

void ReportForm::prepareOpening() {
    ChangeCount = 0;
    prepared_ = false;
    try {
        prepareFilters();
        const QString details = QStringLiteral("\"") + tablePath(QStringLiteral("TPDET.dbf")) + QStringLiteral("\" D");
        const QString titles = QStringLiteral("\"") + tablePath(QStringLiteral("TP.dbf")) + QStringLiteral("\" T");
        data::setStatement(Tx, reportStatement());
        data::setStatement(ToX, {QStringLiteral("SELECT D.TIP, D.CATEG, SUM(D.SUPRAF) AS TT"),
                                 QStringLiteral("FROM ") + details, QStringLiteral("LEFT JOIN ") + titles,
                                 QStringLiteral("ON T.IDTP=D.IDTP"), QStringLiteral(" "), QStringLiteral(" "),
                                 QStringLiteral("GROUP BY D.TIP, D.CATEG"), QStringLiteral("ORDER BY D.TIP, D.CATEG")});
        Ti.setTableName(tablePath(QStringLiteral("RF.dbf")).toStdString());
        if (keepsRegisterOpen()) Ti.open();
        data::setStatement(Anex, {QStringLiteral("SELECT * FROM \"") + tablePath(QStringLiteral("Anexe1.dbf")) +
                                      QLatin1Char('"'),
                                  QStringLiteral("ORDER BY IDANEXA")});
        Anex.open();
        SMDBGrid3->setSortField(sortedField());
        // The rebuild opens the two queries; opening them before it would
        // run both statements twice.
        prepared_ = true;
        SatBoxChange();
    } catch (...) {
        closeDown();
        throw;
    }
}

void ReportForm::closeDown() {
    prepared_ = false;
    Anex.close();
    Ti.close();
    Tx.close();
    ToX.close();
}

void ReportForm::SatBoxChange() {
    if (!prepared_) return;  // OpenReport is still filling the controls
    if (++ChangeCount > 1) return;

    const engine::Value current =
        Tx.isOpen() && !Tx.isEmpty() ? Tx.field("IDTP").value() : engine::Value::number(engine::Decimal::fromInt(-1));
    Tx.disableControls();
    ToX.disableControls();
    try {
        const int line = filterLine();
        Tx.setLine(line, std::string());
        Tx.setLine(line + 1, std::string());
        ToX.setLine(kTotalsFilterLine, std::string());
        ToX.setLine(kTotalsFilterLine + 1, std::string());
        letPendingEventsRun();
        const QString conditions = BuildConditions();
        if (!conditions.isEmpty()) {
            const std::string where = (QStringLiteral("WHERE ") + conditions).toStdString();
            Tx.setLine(line, where);
            ToX.setLine(kTotalsFilterLine, where);
        }
        Tx.open();
        letPendingEventsRun();
        ToX.open();
        letPendingEventsRun();
        const RegisterKey key = registerKey();
        withRegister([&] { registerValue_ = RegisterBook(Ti).valueOf(key); });
        letPendingEventsRun();
        total_ = SumTotals();
        showFigures(Tx.recordCount());
    } catch (...) {
        // The grids stay empty and the figures blank until a rebuild works;
        // the next filter change rebuilds.
        Tx.close();
        ToX.close();
        clearFigures();
        Tx.enableControls();
        ToX.enableControls();
        ChangeCount = 0;
        throw;
    }
    Tx.enableControls();
    ToX.enableControls();
    Tx.locate("IDTP", current);

    // Changes that arrive while the events run here are counted before the
    // counter is taken, so the report always ends on the last one.
    letPendingEventsRun();
    const int asked = ChangeCount;
    ChangeCount = 0;
    if (asked > 1) SatBoxChange();
}

template <typename Work>
void ReportForm::withRegister(Work work) {
    if (keepsRegisterOpen()) {
        work();
        return;
    }
    Ti.open();
    try {
        work();
    } catch (...) {
        Ti.close();
        throw;
    }
    Ti.close();
}

engine::Decimal ReportForm::SumTotals() {
    engine::Decimal sum;
    const int area = ToX.fieldIndex("TT");
    for (ToX.first(); !ToX.eof(); ToX.next()) sum += ToX.field(area).asDecimal();
    ToX.first();
    return sum;
}

void ReportForm::showFigures(int rows) {
    TotalLab->setText(areaText(total_));
    CountLab->setText(QString::number(rows));
    RegisterLab->setText(areaText(registerValue_));
    DifferenceLab->setText(areaText(total_ - registerValue_));
    LbSpeedButton1->setEnabled(true);
    PrintB->setEnabled(true);
}

void ReportForm::clearFigures() {
    total_ = engine::Decimal();
    registerValue_ = engine::Decimal();
    for (QLabel* label : {CountLab, TotalLab, RegisterLab, DifferenceLab}) label->clear();
    // Nothing to record a value against or to print until a rebuild works.
    LbSpeedButton1->setEnabled(false);
    PrintB->setEnabled(false);
}

void ReportForm::LbSpeedButton1Click() {
    if (!Tx.isOpen()) return;
    const QString heading = QStringLiteral("Registru Funciar");
    const auto typed = platform::askText(this, heading, QStringLiteral("Total (ha)"), registerDialogText());
    if (!typed) return;
    const auto value = engine::Decimal::parse(typed->toStdString());
    bool fits = value.has_value();
    if (fits) {
        const RegisterKey key = registerKey();
        withRegister([&] {
            RegisterBook book(Ti);
            fits = book.canHold(*value);
            if (fits) book.record(key, *value, store());
        });
    }
    if (!fits) {
        Mesaj(heading, QStringLiteral("Valoare incorecta!"), mkError, mbOk);
        return;
    }
    registerValue_ = *value;
    RegisterLab->setText(areaText(registerValue_));
    DifferenceLab->setText(areaText(total_ - registerValue_));
}

void ReportForm::ClearBClick() {
    // The changes below only count themselves; one rebuild follows. A
    // rebuild already running repeats itself instead.
    const int running = ChangeCount;
    ChangeCount = 1;
    resetFilters();
    if (running > 0) {
        ChangeCount = running + 1;
        return;
    }
    ChangeCount = 0;
    SatBoxChange();
}

void ReportForm::CloseBClick() { close(); }

void ReportForm::ExportBClick() {
    const auto source = exportSource();
    exchange::DataExport(exchange::gridExportSettings(store().AppDir())).Execute(source.get(), this);
}

std::unique_ptr<exchange::GridExportSource> ReportForm::exportSource() const {
    if (!Tx.isOpen()) return nullptr;
    const ReportGrid grid = reportGrid();
    return std::make_unique<exchange::GridExportSource>(grid.columns, grid.rows, exportCaptions());
}

void ReportForm::TiparesteBClick() {
    if (!Tx.isOpen()) return;
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer);
    if (!platform::askPrinter(this, printer)) return;
    print(printer);
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        exchange::rememberExportFolder(QFileInfo(printer.outputFileName()).absolutePath());
}

QString ReportForm::printFileProposal(const QDate& day) const {
    return QDir(exchange::lastExportFolder(store().AppDir()))
        .filePath(HeaderBand1->caption() + QLatin1Char(' ') + day.toString(QStringLiteral("dd.MM.yyyy")) +
                  QStringLiteral(".pdf"));
}

void ReportForm::preparePrinter(QPrinter& printer) const {
    printer.setDocName(HeaderBand1->caption());
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
    // The print dialog proposes this file when the user prints to PDF; a
    // real printer, where there is one, stays its first choice.
    printer.setOutputFileName(printFileProposal(QDate::currentDate()));
    printer.setOutputFormat(QPrinter::NativeFormat);
}

int ReportForm::print(QPagedPaintDevice& device) {
    TContor& progress = TContor::instance();
    progress.Descr->setText(QStringLiteral("Tiparire ") + HeaderBand1->caption().toLower());
    progress.Bar->setValue(0);
    progress.Arata(this);
    try {
        const int pages = printReport(printout(), device, [&progress](int page, int count) {
            progress.Bar->setMaximum(count);
            progress.Bar->setValue(page);
            letPendingEventsRun();
        });
        progress.Distruge(this);
        return pages;
    } catch (...) {
        progress.Distruge(this);
        throw;
    }
}

ReportGrid ReportForm::reportGrid() const { return gridOf(SMDBGrid3); }

ReportGrid ReportForm::totalsGrid() const { return gridOf(DBGrid1); }

ReportPrintout ReportForm::printout() const {
    ReportPrintout p;
    p.office = store().ReadSetting(QStringLiteral("SETARI"), QStringLiteral("PRIMARIA"));
    p.title = HeaderBand1->caption();
    for (const SetFilter& f : setFilters()) p.filters.append(f.printed);
    p.rows = reportGrid();
    p.totals = totalsGrid();
    const QLabel* labels[] = {CountLab, TotalLab, RegisterLab, DifferenceLab};
    const QString captions[] = {countCaption_, QStringLiteral("Total suprafata"), QStringLiteral("Conf.Reg.Func."),
                                QStringLiteral("Diferenta")};
    for (int i = 0; i < 4; ++i) p.figures.emplace_back(captions[i], labels[i]->text());
    p.printedAt = QDateTime::currentDateTime();
    return p;
}

void ReportForm::SMDBGrid3TitleClick(const QString& field) {
    if (!Tx.isOpen() || Tx.isEmpty() || field.compare(QLatin1String("NRC"), Qt::CaseInsensitive) == 0) return;
    const engine::Value current = Tx.field("IDTP").value();
    Tx.disableControls();
    try {
        Tx.close();
        Tx.setLine(kSortLine, (QStringLiteral("ORDER BY ") + field).toStdString());
        Tx.open();
        letPendingEventsRun();
    } catch (...) {
        Tx.enableControls();
        throw;
    }
    Tx.locate("IDTP", current);
    Tx.enableControls();
    SMDBGrid3->setSortField(sortedField());
}

QString ReportForm::sortedField() const {
    // "ORDER BY T.TITULAR": the field without its table.
    QString field = QString::fromStdString(Tx.lines()[size_t(kSortLine)]).section(QLatin1Char(' '), 2).trimmed();
    return field.section(QLatin1Char('.'), -1);
}

void ReportForm::SMDBGrid3CellClick(const QString&) {
    SMDBGrid3->setToolTip(QString());
    if (!Tx.isOpen() || Tx.isEmpty()) return;
    const engine::Value line = Tx.field("IDANEXA").value();
    if (!line.isNull() && Anex.locate("IDANEXA", line)) SMDBGrid3->setToolTip(annexLineSummary(Anex));
}

void ReportForm::TxCalcFields(engine::CalcRow& row) {
    row.set("NRC", engine::Value::number(engine::Decimal::fromInt(int64_t(row.sequence()) + 1)));
}

void ReportForm::TxAfterScroll() { SMDBGrid3->setToolTip(QString()); }

bool ReportForm::FormKeyDown(int key) {
    if (key != Qt::Key_Escape) return false;
    close();
    return true;
}

// The boxes and the grids leave Escape to the form.
void ReportForm::keyPressEvent(QKeyEvent* event) {
    if (!FormKeyDown(event->key())) QDialog::keyPressEvent(event);
}

}  // namespace reports
