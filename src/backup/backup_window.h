#pragma once

#include <functional>

#include <QDialog>
#include <QStringList>

namespace ui {
class PictureButton;
}

// "Salvare - Restaurare": saves the data directory into one archive and
// restores it from one (backup::Archive does the work). Opened modally from
// the main menu's "Salvare"; a restore ends the program.
class TForm21 : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 420;
    static constexpr int kHeight = 210;

    explicit TForm21(QWidget* parent = nullptr);

    // The main menu's "Salvare".
    void OpenBackup();

    // "Salveaza baza de date" and "Restaureaza baza de date".
    void BitBtn1Click();
    void BitBtn2Click();
    // Escape closes the window; true when the key was handled.
    bool FormKeyDown(int key);

    // The non-empty files of dir's data directory into FileList.
    void ListFileDir(const QString& dir);
    // The archive of FileList at `archive`.
    void CompressFiles(const QString& archive);
    // The records of `archive` in place of the files of dir's data directory.
    void DecompressFiles(const QString& archive, const QString& dir);

    QStringList FileList;
    ui::PictureButton* BE1;
    ui::PictureButton* LbSpeedButton1;

    // How the program ends after a restore.
    std::function<void()> EndProgram;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    class ContorProgress;
    void runWithProgress(const QString& caption, const std::function<void()>& work);
};
