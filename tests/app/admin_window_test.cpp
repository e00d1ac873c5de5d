#include "app/admin_window.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/codeaza_str.h"
#include "app/message_dialog.h"
#include "app/password_prompt.h"
#include "app_fixture.h"

namespace {

class AdminWindow : public AppFixture {
protected:
    TForm4 form4;

    void type(const QString& password, const QString& again) {
        form4.newPasswordEdit()->setText(password);
        form4.repeatPasswordEdit()->setText(again);
    }
    QString stored() { return store().ReadRegistryValue("Erori"); }
};

TEST_F(AdminWindow, LooksAsDescribed) {
    EXPECT_EQ(form4.windowTitle(), "Administrator program");
    EXPECT_EQ(form4.size(), QSize(342, 324));
    EXPECT_EQ(form4.passwordGroup()->title(), " Schimbare parola  ");
    EXPECT_EQ(form4.passwordGroup()->toolTip(), "Schimbarea parolei administrator.");
    EXPECT_EQ(form4.changePasswordButton()->text(), "&Schimba parola");
    EXPECT_EQ(form4.saveButton()->text(), "Salveaza si inchide");
    EXPECT_EQ(form4.cancelButton()->text(), "Renunt");
    for (QLineEdit* e : {form4.newPasswordEdit(), form4.repeatPasswordEdit()}) {
        EXPECT_EQ(e->echoMode(), QLineEdit::Password);
        EXPECT_EQ(e->maxLength(), 32);
    }
}

TEST_F(AdminWindow, DifferentTextsInTheTwoEditsSaveNothing) {
    store().WriteRegistryValue("Erori", CodeazaStr("veche"));
    type("Noua", "noua");
    script->message(mrOk);
    form4.SchimbaParolaClick();
    EXPECT_EQ(lastRequest().heading, "Eroare la completare");
    EXPECT_EQ(lastRequest().text, "Nu ati scris parola noua la fel in cele doua casute !");
    EXPECT_EQ(lastRequest().messageKind, int(mkError));
    EXPECT_EQ(stored(), CodeazaStr("veche"));
    EXPECT_EQ(form4.newPasswordEdit()->text(), "Noua");
}

TEST_F(AdminWindow, ANewPasswordIsStoredScrambled) {
    type("Admin123", "Admin123");
    script->message(mrOk);
    form4.SchimbaParolaClick();
    EXPECT_EQ(lastRequest().heading, "Confirmare");
    EXPECT_EQ(lastRequest().text, "Parola a fost schimbata cu succes!");
    EXPECT_EQ(lastRequest().messageKind, int(mkInformation));
    EXPECT_EQ(stored(), CodeazaStr("Admin123"));
    EXPECT_EQ(form4.newPasswordEdit()->text(), "");
    EXPECT_EQ(form4.repeatPasswordEdit()->text(), "");
}

TEST_F(AdminWindow, BothEditsEmptyAsksBeforeSwitchingThePasswordOff) {
    store().WriteRegistryValue("Erori", CodeazaStr("x"));
    script->message(mrNu).message(mrRenunt).message(mrDa);
    form4.SchimbaParolaClick();
    form4.SchimbaParolaClick();
    EXPECT_EQ(stored(), CodeazaStr("x"));
    form4.SchimbaParolaClick();
    EXPECT_EQ(stored(), "");
    EXPECT_EQ(lastRequest().heading, "Eroare la completare");
    EXPECT_EQ(lastRequest().text, "ATENTIE !\r\nDoriti sa dezactivati parola de administrator?");
    EXPECT_EQ(lastRequest().messageKind, int(mkWarning));
    EXPECT_EQ(lastRequest().buttons, int(mbDa + mbNu));

    // The next run's gate finds no password.
    form1->AdminUnlocked = false;
    script->message(mrOk);
    menu->AdministrareClick();
    EXPECT_EQ(lastRequest().heading, "Administrare");
}

TEST_F(AdminWindow, EnterMovesToTheSecondEditThenChangesThePassword) {
    form4.show();
    form4.newPasswordEdit()->setFocus();
    QTest::keyClicks(form4.newPasswordEdit(), "abc");
    QTest::keyClick(form4.newPasswordEdit(), Qt::Key_Return);
    EXPECT_EQ(form4.focusWidget(), form4.repeatPasswordEdit());
    QTest::keyClicks(form4.repeatPasswordEdit(), "abc");
    script->message(mrOk);
    QTest::keyClick(form4.repeatPasswordEdit(), Qt::Key_Return);
    EXPECT_EQ(stored(), CodeazaStr("abc"));
    EXPECT_TRUE(form4.isVisible());
    form4.reject();
}

TEST_F(AdminWindow, OfficeNameIsSavedOrGivesWayToTheStoredOne) {
    store().WriteSetting("SETARI", "PRIMARIA", "Primaria Vaslui");
    form4.IncarcaConstante();
    EXPECT_EQ(form4.officeNameEdit()->text(), "Primaria Vaslui");

    form4.show();
    form4.officeNameEdit()->setText("Altceva");
    form4.cancelButton()->click();
    EXPECT_FALSE(form4.isVisible());
    EXPECT_EQ(form4.officeNameEdit()->text(), "Primaria Vaslui");

    form4.show();
    form4.officeNameEdit()->setText("Altceva");
    QTest::keyClick(&form4, Qt::Key_Escape);
    EXPECT_EQ(form4.officeNameEdit()->text(), "Primaria Vaslui");

    form4.show();
    form4.officeNameEdit()->setText(QString::fromUtf8("Primăria Bârlad"));
    form4.saveButton()->click();
    EXPECT_FALSE(form4.isVisible());
    EXPECT_EQ(store().ReadSetting("SETARI", "PRIMARIA"), QString::fromUtf8("Primăria Bârlad"));
    EXPECT_EQ(form4.officeNameEdit()->text(), QString::fromUtf8("Primăria Bârlad"));
}

TEST(PasswordPrompt, EnterGoesToVerificaAndASecondEnterPressesIt) {
    TForm5 prompt;
    QString typed = "unchanged";
    bool focusMoved = false;
    QTimer::singleShot(0, [&] {
        QTest::keyClicks(prompt.edit(), "Parola1");
        QTest::keyClick(prompt.edit(), Qt::Key_Return);
        focusMoved = prompt.focusWidget() == prompt.verifyButton();
        EXPECT_TRUE(prompt.isVisible());
        QTest::keyClick(prompt.verifyButton(), Qt::Key_Return);
    });
    EXPECT_TRUE(InputQuery2("IDENTIFICARE ADMIN", "PAROLA :", typed));
    EXPECT_TRUE(focusMoved);
    EXPECT_EQ(typed, "Parola1");
    EXPECT_EQ(prompt.windowTitle(), "IDENTIFICARE ADMIN");
    EXPECT_EQ(prompt.promptLabel()->text(), "PAROLA :");
    EXPECT_EQ(prompt.edit()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(prompt.size(), QSize(259, 121));
}

TEST(PasswordPrompt, EscapeOrRenuntLeaveTheTextAlone) {
    TForm5 prompt;
    QString typed = "unchanged";
    QTimer::singleShot(0, [&] {
        EXPECT_EQ(prompt.edit()->text(), "");  // emptied for every prompt
        QTest::keyClicks(prompt.edit(), "x");
        QTest::keyClick(prompt.edit(), Qt::Key_Escape);
    });
    EXPECT_FALSE(InputQuery2("A", "B", typed));
    QTimer::singleShot(0, [&] {
        EXPECT_EQ(prompt.edit()->text(), "");
        prompt.cancelButton()->click();
    });
    EXPECT_FALSE(InputQuery2("A", "B", typed));
    EXPECT_EQ(typed, "unchanged");
}

}  // namespace
