#include "app/progress_window.h"

#include <memory>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

#include "ui/gradient_panel.h"

namespace {
std::unique_ptr<TContor> ownedInstance;
}

TContor* TContor::instance_ = nullptr;

TContor::TContor(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus) {
    instance_ = this;
    setObjectName(QStringLiteral("Contor"));
    setFixedSize(kWidth, kHeight);
    setCursor(Qt::WaitCursor);
    setAttribute(Qt::WA_ShowWithoutActivating);

    auto* back = new ui::GradientPanel(QColor(0x4A6FA5), QColor(0x1D3557), Qt::Vertical, this);
    back->setGeometry(0, 0, kWidth, kHeight);
    back->setStyleSheet(QStringLiteral("ui--GradientPanel { border: 1px solid #0F1F33; }"));

    Descr = new QLabel(back);
    Descr->setObjectName(QStringLiteral("Descr"));
    Descr->setGeometry(10, 8, kWidth - 20, 20);
    Descr->setAlignment(Qt::AlignCenter);
    QFont f = Descr->font();
    f.setBold(true);
    Descr->setFont(f);
    Descr->setStyleSheet(QStringLiteral("color: white; background: transparent;"));

    Bar = new QProgressBar(back);
    Bar->setObjectName(QStringLiteral("Bar"));
    Bar->setGeometry((kWidth - 300) / 2, 36, 300, 20);
    Bar->setRange(0, 100);
    Bar->setValue(0);
    Bar->setTextVisible(true);
    Bar->setFormat(QStringLiteral("%p%"));
    Bar->setAlignment(Qt::AlignCenter);
}

TContor::~TContor() {
    if (instance_ == this) instance_ = nullptr;
}

TContor& TContor::instance() {
    if (!instance_) ownedInstance = std::make_unique<TContor>();
    return *instance_;
}

void TContor::Arata(QWidget* owner) {
    if (owner) {
        owner->setEnabled(false);
        owner->setCursor(Qt::WaitCursor);
    }
    // Centred where the start-up window sits: the middle of the desktop.
    if (const QScreen* screen = QApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
    QApplication::processEvents();
}

void TContor::Distruge(QWidget* owner) {
    hide();
    if (owner) {
        owner->setEnabled(true);
        owner->unsetCursor();
        owner->activateWindow();
        owner->setFocus();
    }
    QApplication::processEvents();
}
