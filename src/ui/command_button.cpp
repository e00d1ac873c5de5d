#include "ui/command_button.h"

#include <QToolButton>

namespace ui {

QToolButton* commandButton(const QString& caption, const QIcon& icon, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setText(caption);
    b->setIcon(icon);
    b->setIconSize(QSize(20, 20));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    b->setMinimumHeight(28);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

}  // namespace ui
