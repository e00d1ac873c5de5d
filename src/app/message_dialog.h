#pragma once

#include <array>

#include <QDialog>
#include <QString>
#include <QStringList>

#include "ui/color_button.h"

class QLabel;
class QListWidget;

namespace ui {
class GradientPanel;
}

// Kinds of message; any other value shows as mkError.
constexpr unsigned mkWarning = 0;
constexpr unsigned mkError = 1;
constexpr unsigned mkInformation = 2;
constexpr unsigned mkConfirmation = 3;

// Buttons, combined by addition (mbDa + mbNu).
constexpr unsigned mbDa = 1;
constexpr unsigned mbNu = 2;
constexpr unsigned mbOk = 4;
constexpr unsigned mbRenunt = 8;

// Results.
constexpr int mrOk = 1;
constexpr int mrRenunt = 2;
constexpr int mrDa = 6;
constexpr int mrNu = 7;

// The message dialog every window tells the user things through: a heading
// band with the kind's icon, the text, and one to four buttons that answer
// by mouse only. Escape and the close box answer mrRenunt.
//
// A message may carry a list of lines (the problems of a refused sheet):
// the dialog then widens and shows them under the text in a list that
// scrolls, since the text area alone cuts what does not fit.
class TErori : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 345;
    static constexpr int kClientHeight = 177;
    static constexpr int kTopBandHeight = 49;
    static constexpr int kTextAreaHeight = 86;
    static constexpr int kBottomBandHeight = 42;
    static constexpr int kButtonWidth = 73;
    static constexpr int kButtonHeight = 25;
    static constexpr int kButtonTop = 9;
    static constexpr int kListWidth = 640;
    static constexpr int kListHeight = 440;

    explicit TErori(QWidget* parent = nullptr);
    ~TErori() override;

    // The one dialog of the run (created on first use when start-up did not).
    static TErori& instance();

    // Shows the dialog modally and returns the result; 2 at once, with
    // nothing shown, when no button is asked for.
    int Mesaj(const QString& heading, const QString& text, unsigned kind, unsigned buttons,
              const QStringList& lines = {});

    // Sets everything the dialog shows for a message without showing it;
    // returns the number of visible buttons.
    int prepare(const QString& heading, const QString& text, unsigned kind, unsigned buttons,
                const QStringList& lines = {});

    static QString captionOf(unsigned kind);

    // The controls, in the order DA, NU, RENUNT, OK.
    ui::ColorButton* button(int index) const { return buttons_[size_t(index)]; }
    QLabel* headingLabel() const { return heading_; }
    QLabel* textLabel() const { return text_; }
    QLabel* iconLabel() const { return icon_; }
    QListWidget* listBox() const { return list_; }
    ui::GradientPanel* topBand() const { return topBand_; }
    ui::GradientPanel* bottomBand() const { return bottomBand_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void press(int result);
    // The bands, the text and the list for a message with or without lines.
    void layOut(bool withList);

    static TErori* instance_;
    int pending_ = mrRenunt;
    ui::GradientPanel* topBand_;
    ui::GradientPanel* textArea_;
    ui::GradientPanel* bottomBand_;
    QLabel* icon_;
    QLabel* heading_;
    QLabel* text_;
    QListWidget* list_;
    std::array<ui::ColorButton*, 4> buttons_{};
};

// Mesaj (heading, text, kind, buttons) through the dialog of the run.
int Mesaj(const QString& heading, const QString& text, unsigned kind, unsigned buttons);
// The same with a list of lines under the text.
int MesajList(const QString& heading, const QString& text, const QStringList& lines, unsigned kind, unsigned buttons);
