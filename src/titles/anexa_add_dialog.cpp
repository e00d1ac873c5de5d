#include "titles/anexa_add_dialog.h"

#include <memory>

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
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

std::unique_ptr<TAnexaAdd1F> ownedInstance;

ui::NumericEdit* surfaceEdit(const QString& name, const QString& mask, int maxLength, int width, QWidget* parent) {
    auto* e = new ui::NumericEdit(parent);
    e->setObjectName(name);
    e->setDigitMask(mask);
    e->setMaxLength(maxLength);
    e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    e->setFixedWidth(width);
    e->setText(QStringLiteral("0"));
    return e;
}

QComboBox* editableBox(const QString& name, int maxLength, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->lineEdit()->setMaxLength(maxLength);
    box->setMaxVisibleItems(16);
    box->setFixedWidth(220);
    return box;
}

QLabel* centred(const QString& caption, QWidget* parent, bool bold = false) {
    auto* l = new QLabel(caption, parent);
    l->setAlignment(Qt::AlignCenter);
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    return l;
}

QString withoutDoubleQuotes(QString text) { return text.remove(QLatin1Char('"')); }

}  // namespace

TAnexaAdd1F* TAnexaAdd1F::instance_ = nullptr;

TAnexaAdd1F::TAnexaAdd1F(QWidget* parent) : EntryDialog(parent) {
    if (!instance_) instance_ = this;
    setObjectName(QStringLiteral("AnexaAdd1F"));

    auto* root = startLayout(QStringLiteral("annex-line"), QStringLiteral("Adaugare Anexa 2A"), 12);
    root->setSizeConstraint(QLayout::SetFixedSize);
    TitluL = header()->captionLabel();
    TitluL->setObjectName(QStringLiteral("TitluL"));

    auto* fields = new QGridLayout;
    fields->setContentsMargins(16, 0, 16, 0);
    fields->setHorizontalSpacing(12);
    fields->setVerticalSpacing(6);
    root->addLayout(fields);

    NrCrtA = new ui::NumericEdit(this);
    NrCrtA->setObjectName(QStringLiteral("NrCrtA"));
    NrCrtA->setDigitLimits(10, 0);
    NrCrtA->setMaxLength(10);
    NrCrtA->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    NrCrtA->setFixedWidth(100);
    NrCrtA->setText(QStringLiteral("0"));

    SatulE = editableBox(QStringLiteral("SatulE"), 24, this);
    SatulE->setValidator(new titles::UpperCaseValidator(SatulE));
    TipAnxE = editableBox(QStringLiteral("TipAnxE"), 24, this);

    NumeleE = new QLineEdit(this);
    NumeleE->setObjectName(QStringLiteral("NumeleE"));
    NumeleE->setMaxLength(120);
    NumeleE->setMinimumWidth(380);
    NumeleE->setValidator(new titles::UpperCaseValidator(NumeleE));
    MostenE = new QLineEdit(this);
    MostenE->setObjectName(QStringLiteral("MostenE"));
    MostenE->setMaxLength(120);
    MostenE->setMinimumWidth(380);
    MostenE->setValidator(new titles::UpperCaseValidator(MostenE));

    const QString surfaceMask = QStringLiteral("9999.9999");
    SINCAPE = surfaceEdit(QStringLiteral("SINCAPE"), surfaceMask, 9, 100, this);
    SSOLE = surfaceEdit(QStringLiteral("SSOLE"), surfaceMask, 9, 100, this);
    SActE = surfaceEdit(QStringLiteral("SActE"), surfaceMask, 9, 100, this);
    SAPROBE = surfaceEdit(QStringLiteral("SAPROBE"), surfaceMask, 9, 100, this);

    nameLabel = label(QStringLiteral("Nume si prenume"), this);
    sincapLabel = label(QStringLiteral("Suprafata intrata in CAP"), this);
    ssolLabel = label(QStringLiteral("Suprafata solicitata"), this);
    sactLabel = label(QStringLiteral("Suprafata atribuita sub forma de actiuni"), this);
    mostenLabel = label(QStringLiteral("Mostenitori"), this);
    tipAnxLabel = label(QStringLiteral("Tip Anexa"), this);

    int row = 0;
    auto addRow = [&](QLabel* caption, QWidget* control) {
        caption->setBuddy(control);
        fields->addWidget(caption, row, 0);
        fields->addWidget(control, row, 1, Qt::AlignLeft);
        ++row;
    };
    addRow(label(QStringLiteral("Numar pozitie"), this), NrCrtA);
    addRow(label(QStringLiteral("Satul"), this), SatulE);
    addRow(tipAnxLabel, TipAnxE);
    addRow(nameLabel, NumeleE);
    addRow(mostenLabel, MostenE);
    addRow(sincapLabel, SINCAPE);
    addRow(ssolLabel, SSOLE);
    addRow(sactLabel, SActE);
    addRow(label(QStringLiteral("Suprafata aprobata (ha)"), this), SAPROBE);
    fields->setColumnStretch(1, 1);

    // The land table: extravilan and intravilan by use, and the non-agricultural land.
    landTable = new QFrame(this);
    landTable->setObjectName(QStringLiteral("landTable"));
    landTable->setFrameShape(QFrame::StyledPanel);
    auto* land = new QGridLayout(landTable);
    land->setContentsMargins(10, 6, 10, 8);
    land->setHorizontalSpacing(6);
    land->setVerticalSpacing(4);
    land->addWidget(centred(QStringLiteral("AGRICOL"), landTable, true), 0, 1, 1, 5);
    land->addWidget(centred(QStringLiteral("NEAGRICOL"), landTable, true), 0, 7, 2, 1, Qt::AlignBottom);
    const QStringList uses = {QStringLiteral("Total"), QStringLiteral("Arabil"), QStringLiteral("Vii"),
                              QStringLiteral("Livezi"), QStringLiteral("Pasune")};
    for (int i = 0; i < uses.size(); ++i) land->addWidget(centred(uses[i], landTable), 1, 1 + i);
    land->addWidget(label(QStringLiteral("Extravilan"), landTable), 2, 0);
    land->addWidget(label(QStringLiteral("Intravilan"), landTable), 3, 0);
    const QString landMask = QStringLiteral("111.5555");
    const QStringList names = {QStringLiteral("ExTot"), QStringLiteral("ExAr"), QStringLiteral("ExVii"),
                               QStringLiteral("ExLiv"), QStringLiteral("ExPas"), QStringLiteral("InTot"),
                               QStringLiteral("InAr"), QStringLiteral("InVii"), QStringLiteral("InLiv"),
                               QStringLiteral("InPas"), QStringLiteral("Neag")};
    for (const QString& name : names) landEdits_.push_back(surfaceEdit(name, landMask, 7, 72, landTable));
    ExTot = landEdits_[0];
    ExAr = landEdits_[1];
    ExVii = landEdits_[2];
    ExLiv = landEdits_[3];
    ExPas = landEdits_[4];
    InTot = landEdits_[5];
    InAr = landEdits_[6];
    InVii = landEdits_[7];
    InLiv = landEdits_[8];
    InPas = landEdits_[9];
    Neag = landEdits_[10];
    for (int i = 0; i < 5; ++i) {
        land->addWidget(landEdits_[size_t(i)], 2, 1 + i);
        land->addWidget(landEdits_[size_t(5 + i)], 3, 1 + i);
    }
    land->setColumnMinimumWidth(6, 10);
    land->addWidget(Neag, 2, 7, 2, 1, Qt::AlignVCenter);
    auto* landRow = new QHBoxLayout;
    landRow->setContentsMargins(16, 0, 16, 0);
    landRow->addWidget(landTable);
    root->addLayout(landRow);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(16, 4, 16, 0);
    buttons->addStretch();
    LbButton1 = button(QStringLiteral("&Memoreaza"), QStringLiteral("LbButton1"), this);
    LbButton2 = button(QStringLiteral("&Renunt"), QStringLiteral("LbButton2"), this);
    buttons->addWidget(LbButton1);
    buttons->addWidget(LbButton2);
    root->addLayout(buttons);

    QWidget* order[] = {NrCrtA, SatulE, NumeleE, SINCAPE, SSOLE, SActE, SAPROBE, ExTot, ExAr, ExVii, ExLiv, ExPas,
                        InTot, InAr, InVii, InLiv, InPas, Neag, LbButton1, LbButton2, MostenE, TipAnxE};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    connect(LbButton1, &QPushButton::clicked, this, &TAnexaAdd1F::LbButton1Click);
    connect(LbButton2, &QPushButton::clicked, this, &QDialog::reject);
    previewKeys();
    configureForPage(0);
}

TAnexaAdd1F::~TAnexaAdd1F() {
    if (instance_ == this) instance_ = nullptr;
}

TAnexaAdd1F& TAnexaAdd1F::instance() {
    if (!instance_) ownedInstance = std::make_unique<TAnexaAdd1F>();
    return *instance_;
}

void TAnexaAdd1F::configureForPage(int page) {
    struct Layout {
        const char* name;
        const char* sincap;  // nullptr: hidden
        const char* ssol;
        bool sact;
        bool mosten;
        bool tipAnx;
        bool land;
    };
    static const Layout kOldAnnex = {"Nume si prenume", nullptr, nullptr, false, false, false, true};
    static const Layout kNoLand = {"Nume si prenume", nullptr, nullptr, false, false, false, false};
    static const Layout kLayouts[] = {
        {"Nume si prenume", "Suprafata intrata in CAP", "Suprafata solicitata", false, false, false, true},
        {"Nume si prenume", "Suprafata intrata in CAP", nullptr, false, false, false, true},
        {"Nume si prenume", "Suprafata intrata in CAP", "Suprafata solicitata", false, true, false, true},
        kOldAnnex,
        kOldAnnex,
        kOldAnnex,
        {"Denumire Parohie", nullptr, "Suprafata solicitata", false, false, false, true},
        {"Nume si prenume", "Suprafata preluata la stat", "Suprafata atribuita in echivalent de 0.50", true, true,
         false, false},
        kOldAnnex,
        {"Nume si prenume", nullptr, nullptr, false, false, true, false},
        {"Nume si prenume", nullptr, nullptr, false, false, true, false},
        kNoLand,
    };
    if (page < 0 || page >= int(std::size(kLayouts))) return;
    const Layout& l = kLayouts[page];
    nameLabel->setText(QString::fromLatin1(l.name));
    if (l.sincap) sincapLabel->setText(QString::fromLatin1(l.sincap));
    if (l.ssol) ssolLabel->setText(QString::fromLatin1(l.ssol));
    sincapLabel->setVisible(l.sincap);
    SINCAPE->setVisible(l.sincap);
    ssolLabel->setVisible(l.ssol);
    SSOLE->setVisible(l.ssol);
    sactLabel->setVisible(l.sact);
    SActE->setVisible(l.sact);
    mostenLabel->setVisible(l.mosten);
    MostenE->setVisible(l.mosten);
    tipAnxLabel->setVisible(l.tipAnx);
    TipAnxE->setVisible(l.tipAnx);
    landTable->setVisible(l.land);
}

bool TAnexaAdd1F::Execute() {
    Confirmed = false;
    SatulE->setFocus();
    const QString typed = SatulE->currentText();
    SatulE->clear();
    data::DataStore& store = TForm1::instance().store();
    store.FillDistinct(SatulE, store.tablePath(QStringLiteral("Anexe1.dbf")), QStringLiteral("SATUL"), QString());
    SatulE->setEditText(typed);
    return runModal();
}

void TAnexaAdd1F::LbButton1Click() {
    SatulE->setEditText(data::CleanText(SatulE->currentText()));
    if (SatulE->currentText().isEmpty()) {
        SatulE->setFocus();
        TForm1::instance().ShowProblem(QStringLiteral("Nu ati specificat Satul!"), SatulE);
        return;
    }
    NumeleE->setText(data::CleanText(NumeleE->text()));
    if (NumeleE->text().isEmpty()) {
        NumeleE->setFocus();
        TForm1::instance().ShowProblem(QStringLiteral("Nu ati specificat Numele si prenumele!"), NumeleE);
        return;
    }
    NrCrtA->setText(NrCrtA->valueText());
    // The heirs and the annex type go into the statement as typed, save for
    // the double quotes that would end its text early.
    MostenE->setText(withoutDoubleQuotes(MostenE->text()));
    TipAnxE->setEditText(withoutDoubleQuotes(TipAnxE->currentText()));
    confirm();
}

bool TAnexaAdd1F::handleKey(QWidget* focused, int key) { return FormKeyDown(key) || SaltTab(focused, key); }

bool TAnexaAdd1F::FormKeyDown(int key) {
    if (key != Qt::Key_Escape) return false;
    reject();
    return true;
}

bool TAnexaAdd1F::SaltTab(QWidget* control, int key) {
    if (!isEnter(key)) return false;
    const bool moves = control == NumeleE || control == MostenE || control == SINCAPE || control == SSOLE ||
                       control == SActE || control == SAPROBE ||
                       std::find(landEdits_.begin(), landEdits_.end(), control) != landEdits_.end();
    if (!moves) return false;
    moveToNextControl();
    return true;
}
