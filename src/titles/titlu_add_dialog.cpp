#include "titles/titlu_add_dialog.h"

#include <memory>

#include <QComboBox>
#include <QDate>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/message_dialog.h"
#include "app/startup_window.h"
#include "data/data_store.h"
#include "data/text_routines.h"
#include "titles/memo_length.h"
#include "titles/upper_case_validator.h"
#include "ui/date_edit.h"
#include "ui/header_band.h"
#include "ui/numeric_edit.h"

namespace {

std::unique_ptr<TTitluAddF> ownedInstance;

const QString kAddHeading = QStringLiteral("Adaugare Titlu de Proprietate");
const QString kEditHeading = QStringLiteral("Modificare Titlu de Proprietate");

QString upperAsciiLetters(QString text) {
    for (QChar& c : text)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - ('a' - 'A'));
    return text;
}

}  // namespace

TTitluAddF* TTitluAddF::instance_ = nullptr;

TTitluAddF::TTitluAddF(QWidget* parent) : EntryDialog(parent) {
    if (!instance_) instance_ = this;
    setObjectName(QStringLiteral("TitluAddF"));

    auto* root = startLayout(QStringLiteral("title"), kAddHeading, 12);
    root->setSizeConstraint(QLayout::SetFixedSize);

    auto* fields = new QGridLayout;
    fields->setContentsMargins(16, 0, 16, 0);
    fields->setHorizontalSpacing(12);
    fields->setVerticalSpacing(6);
    root->addLayout(fields);

    NrE = new QLineEdit(this);
    NrE->setObjectName(QStringLiteral("NrE"));
    NrE->setMaxLength(16);
    NrE->setFixedWidth(150);
    NrE->setValidator(new titles::UpperCaseValidator(NrE));

    CodE = new ui::NumericEdit(this);
    CodE->setObjectName(QStringLiteral("CodE"));
    CodE->setMaxLength(9);
    CodE->setFixedWidth(150);
    CodE->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    CodE->setText(QStringLiteral("0"));

    DataE = new ui::DateEdit(QDate::currentDate(), this);
    DataE->setObjectName(QStringLiteral("DataE"));
    DataE->setCalendarPopup(true);
    DataE->setFixedWidth(150);

    MostenitoriE = new QPlainTextEdit(this);
    MostenitoriE->setObjectName(QStringLiteral("MostenitoriE"));
    MostenitoriE->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MostenitoriE->setTabChangesFocus(true);
    MostenitoriE->setFixedSize(330, 96);
    titles::limitLength(MostenitoriE, 120);

    SatE = new QComboBox(this);
    SatE->setObjectName(QStringLiteral("SatE"));
    SatE->setEditable(true);
    SatE->setInsertPolicy(QComboBox::NoInsert);
    SatE->lineEdit()->setMaxLength(24);
    SatE->setMaxVisibleItems(16);
    SatE->setFixedWidth(220);
    SatE->setValidator(new titles::UpperCaseValidator(SatE));

    SupTot = new ui::NumericEdit(this);
    SupTot->setObjectName(QStringLiteral("SupTot"));
    SupTot->setDigitLimits(5, 4);
    SupTot->setMaxLength(9);
    SupTot->setFixedWidth(150);
    SupTot->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SupTot->setText(QStringLiteral("0"));

    auto addRow = [&](int row, const QString& caption, QWidget* control) {
        QLabel* l = label(caption, this);
        l->setBuddy(control);
        fields->addWidget(l, row, 0);
        fields->addWidget(control, row, 1, Qt::AlignLeft);
    };
    addRow(0, QStringLiteral("Titlul numarul"), NrE);
    addRow(1, QStringLiteral("CODUL"), CodE);
    addRow(2, QStringLiteral("Din data"), DataE);

    auto* holders = new QVBoxLayout;
    holders->setSpacing(2);
    QLabel* holdersLabel = label(QStringLiteral("Titular /i"), this);
    holdersLabel->setBuddy(MostenitoriE);
    holders->addWidget(holdersLabel);
    auto* hint = new QLabel(QStringLiteral("daca sunt mai\nmulti, scrieti-i\npe linii diferite."), this);
    hint->setStyleSheet(QStringLiteral("color: #5A6270;"));
    QFont small = hint->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    hint->setFont(small);
    holders->addWidget(hint);
    holders->addStretch();
    fields->addLayout(holders, 3, 0);
    fields->addWidget(MostenitoriE, 3, 1, Qt::AlignLeft);

    auto* place = new QLabel(QStringLiteral("Localizarea terenurilor"), this);
    QFont bold = place->font();
    bold.setBold(true);
    place->setFont(bold);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* placeRow = new QHBoxLayout;
    placeRow->addWidget(place);
    placeRow->addWidget(line, 1);
    fields->addLayout(placeRow, 4, 0, 1, 2);
    addRow(5, QStringLiteral("Satul"), SatE);
    addRow(6, QStringLiteral("Suprafata totala din titlu (ha)"), SupTot);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(16, 4, 16, 0);
    buttons->addStretch();
    MemoB = button(QStringLiteral("&Memoreaza"), QStringLiteral("MemoB"), this);
    RenuntB = button(QStringLiteral("&Renunt"), QStringLiteral("RenuntB"), this);
    buttons->addWidget(MemoB);
    buttons->addWidget(RenuntB);
    root->addLayout(buttons);

    QWidget* order[] = {NrE, CodE, DataE, MostenitoriE, SatE, SupTot, MemoB, RenuntB};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    connect(MemoB, &QPushButton::clicked, this, &TTitluAddF::MemoBClick);
    connect(RenuntB, &QPushButton::clicked, this, &QDialog::reject);
    previewKeys();
}

TTitluAddF::~TTitluAddF() {
    if (instance_ == this) instance_ = nullptr;
}

TTitluAddF& TTitluAddF::instance() {
    if (!instance_) ownedInstance = std::make_unique<TTitluAddF>();
    return *instance_;
}

void TTitluAddF::PrepareNew() {
    NrE->clear();
    CodE->clear();
    DataE->setDate(QDate::currentDate());
    MostenitoriE->clear();
    SatE->clear();
    SatE->setEditText(QString());
    data::DataStore& store = TForm1::instance().store();
    store.FillDistinct(SatE, store.tablePath(QStringLiteral("TP.dbf")), QStringLiteral("INSAT"), QString());
}

bool TTitluAddF::ExecuteAdd() {
    EditedId.clear();
    return execute(kAddHeading);
}

bool TTitluAddF::ExecuteEdit(const QString& idtp) {
    EditedId = idtp;
    return execute(kEditHeading);
}

bool TTitluAddF::execute(const QString& heading) {
    header()->setCaption(heading);
    NrE->setFocus();
    return runModal();
}

void TTitluAddF::MemoBClick() {
    NrE->setText(data::CleanText(NrE->text()));
    SatE->setEditText(data::CleanText(SatE->currentText()));
    if (SatE->currentText().isEmpty()) {
        SatE->setFocus();
        TForm1::instance().ShowProblem(QStringLiteral("Lipseste Satul!"), SatE);
        return;
    }
    if (!numberAccepted()) {
        NrE->setFocus();
        return;
    }
    SupTot->setText(SupTot->valueText());
    confirm();
}

bool TTitluAddF::numberAccepted() {
    if (NrE->text().trimmed().isEmpty()) return true;
    const data::DataStore& store = TForm1::instance().store();
    QStringList lines{QStringLiteral("SELECT Count(*) AS NR"),
                      QStringLiteral("FROM \"") + store.tablePath(QStringLiteral("TP.dbf")) + QLatin1Char('"'),
                      QStringLiteral("WHERE TPNR=\"") + NrE->text() + QLatin1Char('"')};
    if (!EditedId.isEmpty()) lines.append(QStringLiteral("AND IDTP<>") + EditedId);
    data::ResetQuery(numberCheck_);
    data::setStatement(numberCheck_, lines);
    numberCheck_.open();
    const int64_t count = numberCheck_.isEmpty() ? 0 : numberCheck_.field("NR").asInteger();
    numberCheck_.close();
    if (count <= 0) return true;
    return Mesaj(QStringLiteral("ADAUGARE TITLU"), QStringLiteral("Mai exista un titlu cu acelasi numar!\rContinuati asa ?"),
                 mkWarning, mbDa + mbNu) == mrDa;
}

QString TTitluAddF::titular() const { return upperAsciiLetters(data::JoinLines(MostenitoriE)); }

QString TTitluAddF::dateText() const { return DataE->date().toString(QStringLiteral("dd.MM.yyyy")); }

bool TTitluAddF::handleKey(QWidget* focused, int key) { return FormKeyDown(key) || EnterTab(focused, key); }

bool TTitluAddF::FormKeyDown(int key) {
    if (key != Qt::Key_Escape) return false;
    reject();
    return true;
}

bool TTitluAddF::EnterTab(QWidget* control, int key) {
    if (!isEnter(key)) return false;
    if (control != NrE && control != CodE && control != DataE && control != SatE && control != SupTot) return false;
    moveToNextControl();
    if (control == SupTot) MemoBClick();
    return true;
}
