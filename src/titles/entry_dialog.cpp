#include "titles/entry_dialog.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/pictures.h"
#include "ui/header_band.h"

namespace titles {

EntryDialog::EntryDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint) {
    setWindowTitle(QStringLiteral("Terralog"));
    setWindowIcon(applicationIcon());
    setModal(true);
    header_ = new ui::HeaderBand(this);
    header_->setColors(QColor(0x365F9C), QColor(0x81A2D3));
    header_->setCaptionColor(Qt::white);
    header_->setFixedHeight(49);
}

void EntryDialog::previewKeys() {
    for (QWidget* w : findChildren<QWidget*>())
        if (w->focusPolicy() != Qt::NoFocus) w->installEventFilter(this);
}

bool EntryDialog::eventFilter(QObject* watched, QEvent* event) {
    // A key the focused control leaves goes on to its parents; it is seen
    // once, where the focus is.
    if (event->type() == QEvent::KeyPress && watched == focusWidget())
        if (handleKey(focusWidget(), static_cast<QKeyEvent*>(event)->key())) return true;
    return QDialog::eventFilter(watched, event);
}

void EntryDialog::keyPressEvent(QKeyEvent* event) {
    // Enter has no meaning of its own here (QDialog would press a default button).
    if (isEnter(event->key())) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void EntryDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = QApplication::primaryScreen()) {
        QRect frame(QPoint(), frameGeometry().size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

bool EntryDialog::runModal() {
    Confirmed = false;
    exec();
    return Confirmed;
}

void EntryDialog::confirm() {
    Confirmed = true;
    accept();
}

QVBoxLayout* EntryDialog::startLayout(const QString& picture, const QString& caption, int spacing) {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 12);
    root->setSpacing(spacing);
    header_->setIcon(pictureIcon(picture), 32);
    header_->setCaption(caption);
    root->addWidget(header_);
    return root;
}

QLabel* EntryDialog::label(const QString& caption, QWidget* parent) {
    auto* l = new QLabel(caption, parent);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return l;
}

QPushButton* EntryDialog::button(const QString& caption, const QString& name, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    // Enter presses a button only while it has the focus.
    b->setAutoDefault(true);
    b->setDefault(false);
    b->setMinimumWidth(96);
    return b;
}

}  // namespace titles
