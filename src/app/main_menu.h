#pragma once

#include <functional>

#include <QWidget>

class QLabel;
class QMenu;
class QAction;

namespace ui {
class PictureButton;
}

// The main menu: a band of large buttons across the top of the screen, the
// date at its right end, and the administrator gate that keeps the buttons
// reaching the data disabled until the administrator is identified. Closing
// it ends the program.
class TForm3 : public QWidget {
    Q_OBJECT
public:
    static constexpr int kClientHeight = 95;

    explicit TForm3(QWidget* parent = nullptr);
    ~TForm3() override;

    // The one main menu of the run (created on first use when start-up did not).
    static TForm3& instance();

    // What the buttons open; set by the entry point once the window exists.
    // An action left unset tells the user it is not available yet.
    std::function<void()> ShowTitlesForm;
    std::function<void()> OpenGeneralReport;
    std::function<void()> OpenParcelReport;
    std::function<void()> OpenBackup;

    void AnexeClick();
    void RapoarteClick();
    void AdministrareClick();
    void SalvareClick();
    void DespreClick();
    // Escape and F12 close, F1 and F2 stand for the first two buttons; true
    // when the key was one of these.
    bool FormKeyDown(int key);
    // Enables the three buttons that reach the data and shows the unlocked picture.
    void UnlockMenu();
    // While a statement waits for another program that holds the data (a
    // backup, an export): the wait cursor and a word in the status bar.
    void showWaitingForData(bool waiting);

    ui::PictureButton* AnexeB;
    ui::PictureButton* RapoarteB;
    ui::PictureButton* AdministrareB;
    ui::PictureButton* SalvareB;
    ui::PictureButton* DespreB;
    ui::PictureButton* IesireB;
    QLabel* DataLab;
    QLabel* StatusLab;
    QMenu* reportsMenu() const { return reports_; }
    QAction* generalReportAction() const { return generalReport_; }
    QAction* parcelReportAction() const { return parcelReport_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static TForm3* instance_;
    QMenu* reports_;
    QAction* generalReport_;
    QAction* parcelReport_;
};
