#include "app/main_menu.h"

#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "app/about_window.h"
#include "app/admin_window.h"
#include "app/codeaza_str.h"
#include "app/message_dialog.h"
#include "app_fixture.h"
#include "ui/picture_button.h"

namespace {

using platform::DialogKind;

class Gate : public AppFixture {
protected:
    bool locked() const {
        return !menu->AnexeB->isEnabled() && !menu->RapoarteB->isEnabled() && !menu->SalvareB->isEnabled() &&
               !menu->AdministrareB->alternateShown();
    }
    bool unlocked() const {
        return menu->AnexeB->isEnabled() && menu->RapoarteB->isEnabled() && menu->SalvareB->isEnabled() &&
               menu->AdministrareB->alternateShown() && form1->AdminUnlocked;
    }
    // Clicks "Administrare"; true when the settings window opened (it is closed at once).
    bool clickAdministrare() {
        bool opened = false;
        QTimer::singleShot(0, [&] {
            opened = TForm4::instance().isVisible();
            TForm4::instance().reject();
        });
        menu->AdministrareB->click();
        QCoreApplication::processEvents();
        return opened;
    }
};

TEST_F(Gate, StartsLockedWithTheButtonsOfTheTable) {
    menu->show();
    EXPECT_TRUE(locked());
    EXPECT_TRUE(menu->AdministrareB->isEnabled());
    EXPECT_TRUE(menu->DespreB->isEnabled());
    EXPECT_TRUE(menu->IesireB->isEnabled());
    const struct {
        ui::PictureButton* button;
        const char* caption;
        const char* hint;
        int width;
    } buttons[] = {{menu->AnexeB, "Anexe si Titluri", "Titluri de proprietate. Gestionare.", 89},
                   {menu->RapoarteB, "Rapoarte", "Diverse rapoarte.", 90},
                   {menu->AdministrareB, "Administrare", "Administrare program.", 90},
                   {menu->SalvareB, "Salvare", "Salvare sau restaurare date.", 90},
                   {menu->DespreB, "Despre...", "Date despre program.", 90},
                   {menu->IesireB, "Iesire", "Inchide programul.", 90}};
    int left = 0;
    for (const auto& b : buttons) {
        EXPECT_EQ(b.button->text(), b.caption);
        EXPECT_EQ(b.button->toolTip(), b.hint);
        EXPECT_EQ(b.button->size(), QSize(b.width, 77));
        EXPECT_FALSE(b.button->picture().isNull());
        EXPECT_EQ(b.button->x(), left);
        left += b.width;
    }
    EXPECT_EQ(menu->StatusLab->text(), "ESC - Iesire din program");
    EXPECT_EQ(menu->windowTitle(), "Terralog v.1.18");
    menu->hide();
}

TEST_F(Gate, WithoutAPasswordTheFirstClickWarnsAndUnlocksTheSecondOpensTheSettings) {
    script->message(mrOk);
    EXPECT_FALSE(clickAdministrare());
    const platform::DialogRequest& warning = lastRequest();
    EXPECT_EQ(warning.heading, "Administrare");
    EXPECT_EQ(warning.text, "        ATENTIE!\r\nNu aveti nici o parola!");
    EXPECT_EQ(warning.messageKind, int(mkWarning));
    EXPECT_EQ(warning.buttons, int(mbOk));
    EXPECT_TRUE(unlocked());
    EXPECT_TRUE(clickAdministrare());
    EXPECT_EQ(script->requests().size(), 1u);
}

TEST_F(Gate, WrongPasswordsAreRefusedTheRightOneUnlocksWithoutOpeningTheSettings) {
    store().WriteRegistryValue("Erori", CodeazaStr("Primaria2009"));
    script->password(QString("primaria2009")).message(mrOk);
    EXPECT_FALSE(clickAdministrare());
    ASSERT_EQ(script->requests().size(), 2u);
    EXPECT_EQ(script->requests()[0].kind, DialogKind::Password);
    EXPECT_EQ(script->requests()[0].caption, "IDENTIFICARE ADMIN");
    EXPECT_EQ(script->requests()[0].text, "PAROLA :");
    EXPECT_EQ(lastRequest().heading, "Greseala!");
    EXPECT_EQ(lastRequest().text, "PAROLA INCORECTA !");
    EXPECT_EQ(lastRequest().messageKind, int(mkError));
    EXPECT_TRUE(locked());

    script->password(std::nullopt);
    EXPECT_FALSE(clickAdministrare());
    EXPECT_TRUE(locked());
    EXPECT_EQ(script->requests().size(), 3u);

    script->password(QString("Primaria2009"));
    EXPECT_FALSE(clickAdministrare());
    EXPECT_TRUE(unlocked());
    EXPECT_EQ(script->requests().size(), 4u);
    EXPECT_TRUE(clickAdministrare());
}

TEST_F(Gate, APasswordStoredByTheOriginalProgramIsAccepted) {
    // The bytes the original program stored for "parola".
    QByteArray stored = QByteArray::fromHex("6c6d2a294e612f6f296c4a707261");
    QDir().mkpath(dir.filePath("etc/Vorelco"));
    QFile f(dir.filePath("etc/Vorelco.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Software\\Vorelco\\20]\r\nErori=" + stored + "\r\n");
    f.close();
    script->password(QString("parola"));
    clickAdministrare();
    EXPECT_TRUE(unlocked());
}

TEST_F(Gate, FunctionKeysFollowTheButtonsAndEscapeCloses) {
    int titles = 0;
    menu->ShowTitlesForm = [&] { ++titles; };
    QTest::keyClick(menu.get(), Qt::Key_F1);
    QTest::keyClick(menu.get(), Qt::Key_F2);
    EXPECT_EQ(titles, 0);
    EXPECT_FALSE(menu->reportsMenu()->isVisible());

    menu->UnlockMenu();
    QTest::keyClick(menu->AdministrareB, Qt::Key_F1);  // seen by the window before its buttons
    EXPECT_EQ(titles, 1);

    menu->show();
    QTest::keyClick(menu.get(), Qt::Key_F2);
    EXPECT_TRUE(menu->reportsMenu()->isVisible());
    EXPECT_EQ(menu->reportsMenu()->pos(), menu->RapoarteB->mapToGlobal(QPoint(0, menu->RapoarteB->height())));
    menu->reportsMenu()->hide();

    QTest::keyClick(menu.get(), Qt::Key_Escape);
    EXPECT_FALSE(menu->isVisible());
    menu->show();
    QTest::keyClick(menu.get(), Qt::Key_F12);
    EXPECT_FALSE(menu->isVisible());
}

TEST_F(Gate, EntriesWithoutTheirWindowSayTheyAreNotAvailable) {
    menu->UnlockMenu();
    script->message(mrOk).message(mrOk).message(mrOk).message(mrOk);
    menu->AnexeB->click();
    menu->generalReportAction()->trigger();
    menu->parcelReportAction()->trigger();
    menu->SalvareB->click();
    QStringList headings;
    for (const platform::DialogRequest& r : script->requests()) {
        EXPECT_EQ(r.messageKind, int(mkInformation));
        EXPECT_EQ(r.text, "Aceasta functie nu este inca disponibila.");
        headings.append(r.heading);
    }
    EXPECT_EQ(headings, QStringList({"Anexe si Titluri", "Raport general", "Raport pe parcela", "Salvare"}));

    int opened = 0;
    menu->OpenGeneralReport = [&] { ++opened; };
    menu->OpenParcelReport = [&] { opened += 10; };
    menu->OpenBackup = [&] { opened += 100; };
    menu->generalReportAction()->trigger();
    menu->parcelReportAction()->trigger();
    menu->SalvareB->click();
    EXPECT_EQ(opened, 111);
}

TEST_F(Gate, ShownAcrossTheTopOfTheScreenWithTheDate) {
    menu->show();
    EXPECT_EQ(menu->height(), 95);
    EXPECT_EQ(menu->pos().y(), QGuiApplication::primaryScreen()->availableGeometry().top());
    EXPECT_EQ(menu->frameGeometry().width(), QGuiApplication::primaryScreen()->availableGeometry().width());
    EXPECT_EQ(menu->DataLab->text(), QDate::currentDate().toString("dd.MM.yyyy"));
    menu->hide();
}

TEST_F(Gate, AboutWindowOpensAndCloses) {
    bool shown = false;
    QTimer::singleShot(0, [&] {
        shown = TForm2::instance().isVisible();
        QTest::keyClick(&TForm2::instance(), Qt::Key_Escape);
    });
    menu->DespreB->click();
    EXPECT_TRUE(shown);
    EXPECT_FALSE(TForm2::instance().isVisible());
    EXPECT_EQ(TForm2::instance().windowTitle(), "Despre program");
}

}  // namespace
