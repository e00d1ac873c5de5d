#include "titles/titdet_add_dialog.h"

#include <algorithm>
#include <memory>

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/startup_window.h"
#include "data/text_routines.h"
#include "titles/upper_case_validator.h"
#include "ui/header_band.h"
#include "ui/numeric_edit.h"

namespace {

std::unique_ptr<TTitDetAddF> ownedInstance;

const QStringList kCategories = {QStringLiteral("Arabil"), QStringLiteral("Vii"),    QStringLiteral("Livezi"),
                                 QStringLiteral("Pasuni"), QStringLiteral("Fanete"), QStringLiteral("Paduri"),
                                 QStringLiteral("Alte terenuri"), QStringLiteral("NR"), QStringLiteral("DE"),
                                 QStringLiteral("NC"),     QStringLiteral("PDT")};
constexpr int kSixthCategory = 5;

QLineEdit* textEdit(const QString& name, int maxLength, int width, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaxLength(maxLength);
    if (width > 0) e->setFixedWidth(width);
    return e;
}

ui::NumericEdit* numberEdit(const QString& name, const QString& mask, int maxLength, QWidget* parent) {
    auto* e = new ui::NumericEdit(parent);
    e->setObjectName(name);
    if (!mask.isEmpty()) e->setDigitMask(mask);
    e->setMaxLength(maxLength);
    e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    e->setFixedWidth(90);
    e->setText(QStringLiteral("0"));
    return e;
}

}  // namespace

const QString TTitDetAddF::kExtravilan = QStringLiteral("EXTRAVILAN");
const QString TTitDetAddF::kIntravilan = QStringLiteral("INTRAVILAN");

TTitDetAddF* TTitDetAddF::instance_ = nullptr;

TTitDetAddF::TTitDetAddF(QWidget* parent) : EntryDialog(parent) {
    if (!instance_) instance_ = this;
    setObjectName(QStringLiteral("TitDetAddF"));

    auto* root = startLayout(QStringLiteral("surface"), QStringLiteral("Adaugare suprafata la titlu de proprietate"), 12);
    root->setSizeConstraint(QLayout::SetFixedSize);

    TipC = new QComboBox(this);
    TipC->setObjectName(QStringLiteral("TipC"));
    TipC->addItems({kExtravilan, kIntravilan});
    TipC->setFixedWidth(190);
    CategC = new QComboBox(this);
    CategC->setObjectName(QStringLiteral("CategC"));
    CategC->addItems(kCategories);
    CategC->setMaxVisibleItems(16);
    CategC->setFixedWidth(190);
    TarlaNrE = textEdit(QStringLiteral("TarlaNrE"), 16, 90, this);
    ParcelaNrE = numberEdit(QStringLiteral("ParcelaNrE"), QString(), 6, this);
    LotNrE = textEdit(QStringLiteral("LotNrE"), 16, 80, this);
    LotNrE->setValidator(new titles::UpperCaseValidator(LotNrE));
    SuprafE = numberEdit(QStringLiteral("SuprafE"), QStringLiteral("1111.1111"), 9, this);
    ObsE = textEdit(QStringLiteral("ObsE"), 50, 0, this);
    VecinNE = textEdit(QStringLiteral("VecinNE"), 36, 230, this);
    VecinEE = textEdit(QStringLiteral("VecinEE"), 36, 230, this);
    VecinSE = textEdit(QStringLiteral("VecinSE"), 36, 230, this);
    VecinVE = textEdit(QStringLiteral("VecinVE"), 36, 230, this);

    auto* columns = new QHBoxLayout;
    columns->setContentsMargins(16, 0, 16, 0);
    columns->setSpacing(16);
    root->addLayout(columns);

    auto* left = new QVBoxLayout;
    left->setSpacing(8);
    columns->addLayout(left);
    auto* place = new QGridLayout;
    place->setHorizontalSpacing(10);
    place->setVerticalSpacing(6);
    auto addRow = [&](int row, const QString& caption, QWidget* control) {
        QLabel* l = label(caption, this);
        l->setBuddy(control);
        place->addWidget(l, row, 0);
        place->addWidget(control, row, 1, Qt::AlignLeft);
    };
    addRow(0, QStringLiteral("Situat in"), TipC);
    addRow(1, QStringLiteral("Categoria"), CategC);
    addRow(2, QStringLiteral("Tarla Nr."), TarlaNrE);
    auto* parcel = new QHBoxLayout;
    parcel->setSpacing(6);
    parcel->addWidget(ParcelaNrE);
    parcel->addWidget(new QLabel(QStringLiteral("/"), this));
    parcel->addWidget(LotNrE);
    parcel->addStretch();
    QLabel* parcelLabel = label(QStringLiteral("Parcela nr."), this);
    parcelLabel->setBuddy(ParcelaNrE);
    place->addWidget(parcelLabel, 3, 0);
    place->addLayout(parcel, 3, 1);
    auto* area = new QHBoxLayout;
    area->setSpacing(6);
    area->addWidget(SuprafE);
    area->addWidget(new QLabel(QStringLiteral("ha"), this));
    area->addStretch();
    QLabel* areaLabel = label(QStringLiteral("Suprafata"), this);
    areaLabel->setBuddy(SuprafE);
    place->addWidget(areaLabel, 4, 0);
    place->addLayout(area, 4, 1);
    left->addLayout(place);
    QLabel* obsLabel = label(QStringLiteral("Observatii"), this);
    obsLabel->setBuddy(ObsE);
    left->addWidget(obsLabel);
    left->addWidget(ObsE);

    auto* dimensions = new QGroupBox(QStringLiteral("Dimensiuni"), this);
    dimensions->setObjectName(QStringLiteral("Dimensiuni"));
    LungE = numberEdit(QStringLiteral("LungE"), QStringLiteral("5555.5555"), 9, dimensions);
    LatE = numberEdit(QStringLiteral("LatE"), QStringLiteral("5555.5555"), 9, dimensions);
    DetE = textEdit(QStringLiteral("DetE"), 50, 0, dimensions);
    auto* dims = new QGridLayout(dimensions);
    dims->setHorizontalSpacing(10);
    dims->setVerticalSpacing(6);
    dims->addWidget(label(QStringLiteral("Lungime"), dimensions), 0, 0);
    dims->addWidget(LungE, 0, 1, Qt::AlignLeft);
    dims->addWidget(label(QStringLiteral("Latime"), dimensions), 1, 0);
    dims->addWidget(LatE, 1, 1, Qt::AlignLeft);
    dims->addWidget(label(QStringLiteral("Detalii"), dimensions), 2, 0);
    dims->addWidget(DetE, 2, 1);
    left->addWidget(dimensions);

    auto* neighbours = new QGroupBox(QStringLiteral("Vecinatati"), this);
    neighbours->setObjectName(QStringLiteral("Vecinatati"));
    auto* sides = new QGridLayout(neighbours);
    sides->setHorizontalSpacing(10);
    sides->setVerticalSpacing(10);
    const std::pair<const char*, QLineEdit*> sideEdits[] = {
        {"NORD", VecinNE}, {"EST", VecinEE}, {"SUD", VecinSE}, {"VEST", VecinVE}};
    int row = 0;
    for (const auto& [caption, edit] : sideEdits) {
        edit->setParent(neighbours);
        QLabel* l = label(QString::fromLatin1(caption), neighbours);
        l->setBuddy(edit);
        sides->addWidget(l, row, 0);
        sides->addWidget(edit, row, 1);
        ++row;
    }
    sides->setRowStretch(row, 1);
    columns->addWidget(neighbours, 0, Qt::AlignTop);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(16, 4, 16, 0);
    MemoB = button(QStringLiteral("&Memoreaza"), QStringLiteral("MemoB"), this);
    RenuntB = button(QStringLiteral("&Renunt"), QStringLiteral("RenuntB"), this);
    buttons->addWidget(MemoB);
    buttons->addStretch();
    buttons->addWidget(RenuntB);
    root->addLayout(buttons);

    inputs_ = {TipC, CategC, TarlaNrE, ParcelaNrE, LotNrE, SuprafE, VecinNE, VecinEE,
               VecinSE, VecinVE, ObsE, LungE, LatE, DetE};
    QWidget* order[] = {TipC,    CategC,  TarlaNrE, ParcelaNrE, LotNrE, SuprafE, VecinNE, VecinEE,
                        VecinSE, VecinVE, ObsE,     MemoB,      RenuntB, LungE,  LatE,    DetE};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    connect(TipC, &QComboBox::activated, this, &TTitDetAddF::TipCChange);
    connect(MemoB, &QPushButton::clicked, this, &TTitDetAddF::MemoBClick);
    connect(RenuntB, &QPushButton::clicked, this, &QDialog::reject);
    previewKeys();
}

TTitDetAddF::~TTitDetAddF() {
    if (instance_ == this) instance_ = nullptr;
}

TTitDetAddF& TTitDetAddF::instance() {
    if (!instance_) ownedInstance = std::make_unique<TTitDetAddF>();
    return *instance_;
}

bool TTitDetAddF::ExecuteAdd() { return execute(QStringLiteral("Adaugare suprafata la titlu de proprietate")); }

bool TTitDetAddF::ExecuteEdit() { return execute(QStringLiteral("Modificare suprafata la titlu de proprietate")); }

bool TTitDetAddF::execute(const QString& heading) {
    header()->setCaption(heading);
    TipC->setFocus();
    return runModal();
}

void TTitDetAddF::setSixthCategory(const QString& tip) {
    if (tip == kExtravilan)
        CategC->setItemText(kSixthCategory, QStringLiteral("PADURI"));
    else if (tip == kIntravilan)
        CategC->setItemText(kSixthCategory, QStringLiteral("CURTI, CONSTRUCTII"));
}

void TTitDetAddF::TipCChange() {
    setSixthCategory(TipC->currentText());
    CategC->setCurrentIndex(0);
}

void TTitDetAddF::selectTypeAndCategory(const QString& tip, const QString& categ) {
    data::SelectComboItem(TipC, tip);
    setSixthCategory(TipC->currentText());
    while (CategC->count() > kCategories.size()) CategC->removeItem(CategC->count() - 1);
    data::SelectComboItem(CategC, categ);
    if (CategC->currentIndex() < 0 && !categ.isEmpty()) {
        // It goes back into a statement's text literal: no double quotes.
        CategC->addItem(QString(categ).remove(QLatin1Char('"')));
        CategC->setCurrentIndex(CategC->count() - 1);
    }
}

void TTitDetAddF::MemoBClick() {
    // The plot goes into the statement as typed, save for the double quotes
    // that would end its text early.
    TarlaNrE->setText(TarlaNrE->text().remove(QLatin1Char('"')));
    if (TarlaNrE->text().trimmed().isEmpty()) {
        TarlaNrE->setFocus();
        TForm1::instance().ShowProblem(QStringLiteral("Lipseste Numarul de tarla!"), TarlaNrE);
        return;
    }
    if (ParcelaNrE->value() < engine::Decimal::fromInt(1)) {
        ParcelaNrE->setFocus();
        TForm1::instance().ShowProblem(QStringLiteral("Lipseste Numarul de parcela!"), ParcelaNrE);
        return;
    }
    LotNrE->setText(data::CleanText(LotNrE->text()));
    if (SuprafE->value() <= engine::Decimal()) {
        SuprafE->setFocus();
        TForm1::instance().ShowProblem(QStringLiteral("Lipseste Suprafata!"), SuprafE);
        return;
    }
    for (QLineEdit* e : {VecinNE, VecinEE, VecinSE, VecinVE, ObsE, DetE}) e->setText(data::CleanText(e->text()));
    LungE->setText(LungE->valueText());
    LatE->setText(LatE->valueText());
    confirm();
}

bool TTitDetAddF::handleKey(QWidget* focused, int key) { return FormKeyDown(key) || TipCKeyDown(focused, key); }

bool TTitDetAddF::FormKeyDown(int key) {
    if (key != Qt::Key_Escape) return false;
    reject();
    return true;
}

bool TTitDetAddF::TipCKeyDown(QWidget* control, int key) {
    if (!isEnter(key) || std::find(inputs_.begin(), inputs_.end(), control) == inputs_.end()) return false;
    moveToNextControl();
    if (control == ObsE) MemoBClick();
    return true;
}
