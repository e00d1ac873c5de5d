#pragma once

#include <optional>
#include <vector>

#include <QDialog>
#include <QWidget>

#include "data/progress.h"
#include "exchange/export_format.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace exchange {

// The export's format dialog: the format list, view-only or to a file (both
// disabled for the clipboard), "&Export" and "&Renunt" (also Escape). A tool
// window, centred, always on top; made once and reused.
class Tfrm_Selection : public QDialog {
    Q_OBJECT
public:
    struct Choice {
        ExportFormat format;
        bool toFile;
    };

    explicit Tfrm_Selection(QWidget* parent = nullptr);
    ~Tfrm_Selection() override;
    static Tfrm_Selection& instance();

    // Shows the dialog modally with the formats offered, `selected` chosen
    // and view-only ticked; nothing when the user cancelled.
    std::optional<Choice> choose(const QString& caption, const std::vector<ExportFormat>& formats,
                                 ExportFormat selected);

    QGroupBox* FormatGroup;
    QComboBox* FormatBox;
    QRadioButton* ViewOnly;
    QRadioButton* ToFile;
    QPushButton* ExportB;
    QPushButton* CancelB;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void formatChanged();
    std::vector<ExportFormat> formats_;
    static Tfrm_Selection* instance_;
};

// The export's progress window: the caption, "Prelucrez..." and a bar from
// 0 to the number of rows, 300 by 80 pixels over a disabled owner.
class Tfrm_ProgressForm : public QWidget, public data::Progress {
    Q_OBJECT
public:
    explicit Tfrm_ProgressForm(QWidget* parent = nullptr);
    ~Tfrm_ProgressForm() override;
    static Tfrm_ProgressForm& instance();

    void start(const QString& caption, QWidget* owner);
    void finish(QWidget* owner);

    int maximum() const override;
    void setMaximum(int maximum) override;
    int position() const override;
    // Moves the bar and lets the screen repaint.
    void setPosition(int position) override;

    QLabel* Caption;
    QLabel* Text;
    QProgressBar* Bar;

private:
    static Tfrm_ProgressForm* instance_;
};

}  // namespace exchange
