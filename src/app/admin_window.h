#pragma once

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;

// The administrator settings: the administrator password and the office
// name. Opened from the main menu once the administrator is identified.
class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
    ~TForm4() override;

    // The one settings window of the run (created on first use when start-up did not).
    static TForm4& instance();

    // Loads the office name from the settings file into its edit.
    void IncarcaConstante();

    void SchimbaParolaClick();
    void SalveazaClick();

    QLineEdit* newPasswordEdit() const { return newPassword_; }
    QLineEdit* repeatPasswordEdit() const { return repeatPassword_; }
    QLineEdit* officeNameEdit() const { return officeName_; }
    QPushButton* changePasswordButton() const { return changePassword_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* cancelButton() const { return cancel_; }
    QGroupBox* passwordGroup() const { return passwordGroup_; }

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static TForm4* instance_;
    QGroupBox* passwordGroup_;
    QLineEdit* newPassword_;
    QLineEdit* repeatPassword_;
    QPushButton* changePassword_;
    QLineEdit* officeName_;
    QPushButton* save_;
    QPushButton* cancel_;
};
