#pragma once

#include <QIcon>
#include <QString>

class QToolButton;
class QWidget;

namespace ui {

// A command button of a form: a small picture beside the caption, as wide as
// its column. Like a form's speed buttons it never takes the focus, so the
// keys stay with the grids and boxes.
QToolButton* commandButton(const QString& caption, const QIcon& icon, QWidget* parent);

}  // namespace ui
