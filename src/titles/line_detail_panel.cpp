#include "titles/line_detail_panel.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace titles {

namespace {

enum class EntryShape {
    Value,     // one line; numbers to the right
    TextBox,   // a few lines, for names and heirs
    Heading,   // a caption with no value
    Indented,  // a value under a heading
};

struct Entry {
    const char* label;
    const char* field;  // null for a heading
    EntryShape shape;
};

struct Layout {
    std::vector<Entry> entries;
    bool land;
};

const Entry kVillage{"Satul", "SATUL", EntryShape::Value};
const Entry kName{"Nume si prenume", "NUME", EntryShape::Value};
const Entry kNameBox{"Nume si prenume", "NUME", EntryShape::TextBox};
const Entry kInCap{"Suprafata intrata in CAP (ha)", "SINCAP", EntryShape::Value};
const Entry kRequested{"Suprafata solicitata (ha)", "SSOL", EntryShape::Value};
const Entry kApproved{"Suprafata aprobata (ha)", "SAPROB", EntryShape::Value};

// Per annex page, 0 ("Anexa 2A") to 11 ("Altele").
const std::vector<Layout>& layouts() {
    static const std::vector<Layout> all = [] {
        const Layout plain{{kVillage, kName, kApproved}, true};
        const Layout law{{kVillage, {"TIP Anexa", "TIPANX", EntryShape::Value}, kNameBox, kApproved}, false};
        return std::vector<Layout>{
            {{kVillage, kName, kInCap, kRequested, kApproved}, true},
            {{kVillage, kName, kInCap, kApproved}, true},
            {{kVillage, kName, kInCap, kRequested, kApproved, {"Mostenitori", "MOSTEN", EntryShape::TextBox}}, true},
            plain,
            plain,
            plain,
            {{kVillage, {"Denumire Parohie", "NUME", EntryShape::Value}, kRequested, kApproved}, true},
            {{kVillage,
              kName,
              {"Mostenitori", "MOSTEN", EntryShape::TextBox},
              {"Suprafata preluata la stat", "SINCAP", EntryShape::Value},
              kApproved,
              {"constituita din :", nullptr, EntryShape::Heading},
              {"Suprafata atribuita in echivalent de 0.50", "SSOL", EntryShape::Indented},
              {"Suprafata atribuita sub forma de actiuni", "SACT", EntryShape::Indented}},
             false},
            {{kVillage, kNameBox, kApproved}, true},
            law,
            law,
            {{kVillage, kNameBox, kApproved}, false},
        };
    }();
    return all;
}

bool isNumberField(const QString& field) {
    static const QStringList texts{"SATUL", "NUME", "MOSTEN", "TIPANX"};
    return !texts.contains(field);
}

QLineEdit* valueLine(bool number, QWidget* parent) {
    auto* line = new QLineEdit(parent);
    line->setReadOnly(true);
    line->setFocusPolicy(Qt::NoFocus);
    if (number) {
        line->setAlignment(Qt::AlignRight);
        line->setMaximumWidth(110);
    }
    return line;
}

QLabel* caption(const QString& text, QWidget* parent, bool bold = false) {
    auto* label = new QLabel(text, parent);
    if (bold) {
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
    }
    return label;
}

}  // namespace

LineDetailPanel::LineDetailPanel(QWidget* parent) : QStackedWidget(parent) {
    // Display only, yet as readable as a form in use.
    QPalette p = palette();
    for (const auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, p.color(QPalette::Active, role));
    p.setColor(QPalette::Disabled, QPalette::Base, QColor(0xFAFBFD));
    setPalette(p);
    for (int annex = 0; annex < int(layouts().size()); ++annex) buildPage(annex);
}

LineDetailPanel::~LineDetailPanel() { setDataset(nullptr); }

void LineDetailPanel::buildPage(int annex) {
    const Layout& layout = layouts()[size_t(annex)];
    Page page;
    page.land = layout.land;

    auto* widget = new QWidget(this);
    auto* column = new QVBoxLayout(widget);
    column->setContentsMargins(8, 6, 8, 6);
    column->setSpacing(8);
    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(10);
    fields->setVerticalSpacing(4);
    fields->setColumnStretch(2, 1);
    column->addLayout(fields);

    int row = 0;
    for (const Entry& entry : layout.entries) {
        const QString label = QString::fromLatin1(entry.label);
        page.labels.append(label);
        if (entry.shape == EntryShape::Heading) {
            fields->addWidget(caption(label, widget, true), row++, 0, 1, 3);
            continue;
        }
        const QString field = QString::fromLatin1(entry.field);
        auto* name = caption(label, widget);
        if (entry.shape == EntryShape::Indented) name->setContentsMargins(24, 0, 0, 0);
        Binding binding;
        binding.field = field;
        if (entry.shape == EntryShape::TextBox) {
            binding.box = new QPlainTextEdit(widget);
            binding.box->setReadOnly(true);
            binding.box->setFocusPolicy(Qt::NoFocus);
            binding.box->setFixedHeight(binding.box->fontMetrics().lineSpacing() * 2 + 12);
            fields->addWidget(name, row, 0, Qt::AlignTop);
            fields->addWidget(binding.box, row++, 1, 1, 2);
        } else {
            const bool number = isNumberField(field);
            binding.line = valueLine(number, widget);
            fields->addWidget(name, row, 0);
            fields->addWidget(binding.line, row++, 1, 1, number ? 1 : 2);
        }
        page.bindings.push_back(binding);
    }

    if (layout.land) {
        auto* frame = new QFrame(widget);
        frame->setFrameShape(QFrame::StyledPanel);
        auto* land = new QGridLayout(frame);
        land->setContentsMargins(8, 4, 8, 6);
        land->setHorizontalSpacing(6);
        land->setVerticalSpacing(3);
        auto* agricol = caption(QStringLiteral("AGRICOL"), frame, true);
        agricol->setAlignment(Qt::AlignCenter);
        land->addWidget(agricol, 0, 1, 1, 5);
        auto* neagricol = caption(QStringLiteral("NEAGRICOL"), frame, true);
        neagricol->setAlignment(Qt::AlignCenter);
        land->addWidget(neagricol, 0, 6);
        const QStringList heads{"Total", "Arabil", "Vii", "Livezi", "Pasune"};
        for (int c = 0; c < heads.size(); ++c) {
            auto* head = caption(heads[c], frame);
            head->setAlignment(Qt::AlignCenter);
            land->addWidget(head, 1, c + 1);
        }
        const struct {
            const char* name;
            QStringList fields;
        } rows[] = {{"Extravilan", {"EXTOT", "EXAR", "EXVII", "EXLIV", "EXPAS"}},
                    {"Intravilan", {"INTOT", "INAR", "INVII", "INLIV", "INPAS"}}};
        for (int r = 0; r < 2; ++r) {
            land->addWidget(caption(QString::fromLatin1(rows[r].name), frame), r + 2, 0);
            for (int c = 0; c < rows[r].fields.size(); ++c) {
                Binding binding;
                binding.field = rows[r].fields[c];
                binding.line = valueLine(true, frame);
                binding.line->setMaximumWidth(90);
                land->addWidget(binding.line, r + 2, c + 1);
                page.bindings.push_back(binding);
            }
        }
        Binding neag;
        neag.field = QStringLiteral("NEAG");
        neag.line = valueLine(true, frame);
        neag.line->setMaximumWidth(90);
        land->addWidget(neag.line, 2, 6);
        page.bindings.push_back(neag);
        auto* landRow = new QHBoxLayout;
        landRow->addWidget(frame);
        landRow->addStretch();
        column->addLayout(landRow);
    }
    column->addStretch();

    addWidget(widget);
    pages_.push_back(std::move(page));
}

void LineDetailPanel::setDataset(engine::Dataset* dataset) {
    if (dataset_) dataset_->removeObserver(this);
    dataset_ = dataset;
    if (dataset_) dataset_->addObserver(this);
    refresh();
}

void LineDetailPanel::showAnnex(int page) {
    if (page < 0 || page >= count()) return;
    setCurrentIndex(page);
    refresh();
}

QStringList LineDetailPanel::labels() const { return pages_[size_t(currentIndex())].labels; }

bool LineDetailPanel::hasLandTable() const { return pages_[size_t(currentIndex())].land; }

QString LineDetailPanel::shownValue(const QString& field) const {
    for (const Binding& b : pages_[size_t(currentIndex())].bindings) {
        if (b.field != field) continue;
        return b.line ? b.line->text() : b.box->toPlainText();
    }
    return QString();
}

void LineDetailPanel::refresh() {
    const bool hasRow = dataset_ && dataset_->isOpen() && dataset_->recNo() >= 0;
    for (const Binding& b : pages_[size_t(currentIndex())].bindings) {
        QString text;
        if (hasRow) {
            if (const auto field = dataset_->findField(b.field.toStdString()))
                text = QString::fromStdString(field->asString());
        }
        if (b.line) {
            b.line->setText(text);
            b.line->setCursorPosition(0);
        } else {
            b.box->setPlainText(text);
        }
    }
}

void LineDetailPanel::datasetReset(engine::Dataset&) { refresh(); }

void LineDetailPanel::currentChanged(engine::Dataset&) { refresh(); }

void LineDetailPanel::datasetDestroyed(engine::Dataset&) {
    dataset_ = nullptr;
    refresh();
}

}  // namespace titles
