#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>

#include "data/data_store.h"
#include "data/progress.h"
#include "platform/data_dir_lock.h"

class QLabel;
class QProgressBar;

namespace ui {
class ColorButton;
}

// The start-up window. It prepares the data folder, creates, upgrades and
// packs the tables, then hides and shows the main menu. It stays alive,
// hidden, for the whole run and holds what every window shares: the folders,
// the shared data routines and the administrator flag.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The start-up window of the run; it must have been created.
    static TForm1& instance();
    static bool exists() { return instance_ != nullptr; }

    data::DataStore& store() { return store_; }
    const QString& AppDir() const { return store_.AppDir(); }
    const QString& DataDir() const { return store_.DataDir(); }
    // Held from the start-up sequence to the end of the run.
    const platform::DataDirLock& dataDirLock() const { return dataDirLock_; }

    // Set by the main menu's gate; never reset during the run.
    bool AdminUnlocked = false;

    // A balloon at the control, titled "Problema !", gone after 5 s; the
    // report of a validation problem in a data-entry dialog.
    void ShowProblem(const QString& message, QWidget* control);

    // Adds n to the progress bar and lets the window repaint.
    void AdvanceProgress(int n);

    // The start-up sequence for the program in appDir. False when it stopped
    // at an error that keeps the main menu closed (the error was shown).
    bool runStartup(const QString& appDir);
    bool startupFailed() const { return failed_; }

    QLabel* Label1;  // the title and its shadow
    QLabel* Label2;
    QLabel* StatusLab;
    QProgressBar* Bar1;
    QTimer Timer1;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    class BarProgress;

    void Timer1Timer();
    void stopAfterError(const QString& message);
    bool holdDataDir();
    bool checkTables();
    void stopAtClerksChoice();

    static TForm1* instance_;
    data::DataStore store_;
    platform::DataDirLock dataDirLock_;
    BarProgress* progress_;
    ui::ColorButton* exit_;
    bool failed_ = false;
};
