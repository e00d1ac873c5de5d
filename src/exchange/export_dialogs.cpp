#include "exchange/export_dialogs.h"

#include <memory>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/pictures.h"
#include "ui/gradient_panel.h"

namespace exchange {

namespace {
std::unique_ptr<Tfrm_Selection> ownedSelection;
std::unique_ptr<Tfrm_ProgressForm> ownedProgress;

void centre(QWidget* w) {
    if (const QScreen* screen = QApplication::primaryScreen()) {
        QRect frame(QPoint(), w->frameGeometry().size());
        frame.moveCenter(screen->availableGeometry().center());
        w->move(frame.topLeft());
    }
}
}  // namespace

Tfrm_Selection* Tfrm_Selection::instance_ = nullptr;

Tfrm_Selection::Tfrm_Selection(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint) {
    instance_ = this;
    setObjectName(QStringLiteral("frm_Selection"));
    setWindowIcon(applicationIcon());
    setModal(true);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(12, 12, 12, 12);
    root->setSpacing(10);
    FormatGroup = new QGroupBox(QStringLiteral(" Formatul e&xportat: "), this);
    auto* group = new QVBoxLayout(FormatGroup);
    FormatBox = new QComboBox(FormatGroup);
    FormatBox->setObjectName(QStringLiteral("FormatBox"));
    FormatBox->setMinimumWidth(260);
    group->addWidget(FormatBox);
    ViewOnly = new QRadioButton(QStringLiteral("&Numai vizualizare"), FormatGroup);
    ViewOnly->setObjectName(QStringLiteral("ViewOnly"));
    ToFile = new QRadioButton(QStringLiteral("Export &in fisier"), FormatGroup);
    ToFile->setObjectName(QStringLiteral("ToFile"));
    group->addWidget(ViewOnly);
    group->addWidget(ToFile);
    root->addWidget(FormatGroup);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ExportB = new QPushButton(QStringLiteral("&Export"), this);
    ExportB->setObjectName(QStringLiteral("ExportB"));
    ExportB->setDefault(true);
    CancelB = new QPushButton(QStringLiteral("&Renunt"), this);
    CancelB->setObjectName(QStringLiteral("CancelB"));
    for (QPushButton* b : {ExportB, CancelB}) {
        b->setMinimumWidth(90);
        buttons->addWidget(b);
    }
    root->addLayout(buttons);
    root->setSizeConstraint(QLayout::SetFixedSize);

    connect(ExportB, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelB, &QPushButton::clicked, this, &QDialog::reject);
    connect(FormatBox, &QComboBox::currentIndexChanged, this, [this] { formatChanged(); });
}

Tfrm_Selection::~Tfrm_Selection() {
    if (instance_ == this) instance_ = nullptr;
}

Tfrm_Selection& Tfrm_Selection::instance() {
    if (!instance_) ownedSelection = std::make_unique<Tfrm_Selection>();
    return *instance_;
}

void Tfrm_Selection::formatChanged() {
    const int i = FormatBox->currentIndex();
    const bool clipboard = i >= 0 && size_t(i) < formats_.size() && formats_[size_t(i)] == ExportFormat::Clipboard;
    ViewOnly->setEnabled(!clipboard);
    ToFile->setEnabled(!clipboard);
}

std::optional<Tfrm_Selection::Choice> Tfrm_Selection::choose(const QString& caption,
                                                             const std::vector<ExportFormat>& formats,
                                                             ExportFormat selected) {
    setWindowTitle(caption);
    formats_ = formats;
    {
        const QSignalBlocker quiet(FormatBox);
        FormatBox->clear();
        for (const ExportFormat f : formats) FormatBox->addItem(formatInfo(f).listName);
        for (size_t i = 0; i < formats.size(); ++i)
            if (formats[i] == selected) FormatBox->setCurrentIndex(int(i));
    }
    formatChanged();
    ViewOnly->setChecked(true);
    FormatBox->setFocus();
    if (exec() != QDialog::Accepted || FormatBox->currentIndex() < 0) return std::nullopt;
    return Choice{formats_[size_t(FormatBox->currentIndex())], ToFile->isChecked()};
}

void Tfrm_Selection::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centre(this);
}

Tfrm_ProgressForm* Tfrm_ProgressForm::instance_ = nullptr;

Tfrm_ProgressForm::Tfrm_ProgressForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus) {
    instance_ = this;
    setObjectName(QStringLiteral("frm_ProgressForm"));
    setFixedSize(300, 80);
    setCursor(Qt::WaitCursor);
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* back = new ui::GradientPanel(QColor(0xE1DEFA), QColor(0x9D9DFF), Qt::Vertical, this);
    back->setGeometry(0, 0, 300, 80);
    back->setStyleSheet(QStringLiteral("ui--GradientPanel { border: 1px solid #000093; }"));
    Caption = new QLabel(back);
    Caption->setGeometry(10, 6, 280, 18);
    Caption->setAlignment(Qt::AlignCenter);
    QFont bold = Caption->font();
    bold.setBold(true);
    Caption->setFont(bold);
    Caption->setStyleSheet(QStringLiteral("color: #000093; background: transparent;"));
    Text = new QLabel(QStringLiteral("Prelucrez..."), back);
    Text->setGeometry(10, 26, 280, 18);
    Text->setAlignment(Qt::AlignCenter);
    Text->setStyleSheet(QStringLiteral("background: transparent;"));
    Bar = new QProgressBar(back);
    Bar->setObjectName(QStringLiteral("Bar"));
    Bar->setGeometry(10, 50, 280, 20);
    Bar->setRange(0, 0);
    Bar->setFormat(QStringLiteral("%p%"));
    Bar->setAlignment(Qt::AlignCenter);
}

Tfrm_ProgressForm::~Tfrm_ProgressForm() {
    if (instance_ == this) instance_ = nullptr;
}

Tfrm_ProgressForm& Tfrm_ProgressForm::instance() {
    if (!instance_) ownedProgress = std::make_unique<Tfrm_ProgressForm>();
    return *instance_;
}

void Tfrm_ProgressForm::start(const QString& caption, QWidget* owner) {
    Caption->setText(caption);
    setWindowTitle(caption);
    Bar->setRange(0, 0);
    Bar->setValue(0);
    if (owner) owner->setEnabled(false);
    centre(this);
    show();
    raise();
    QApplication::processEvents();
}

void Tfrm_ProgressForm::finish(QWidget* owner) {
    hide();
    if (owner) {
        owner->setEnabled(true);
        owner->activateWindow();
    }
    QApplication::processEvents();
}

int Tfrm_ProgressForm::maximum() const { return Bar->maximum(); }
void Tfrm_ProgressForm::setMaximum(int maximum) { Bar->setRange(0, std::max(maximum, 1)); }
int Tfrm_ProgressForm::position() const { return Bar->value(); }

void Tfrm_ProgressForm::setPosition(int position) {
    Bar->setValue(std::min(position, Bar->maximum()));
    QApplication::processEvents();
}

}  // namespace exchange
