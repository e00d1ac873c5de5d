// Qt's own dialogs in Romanian, from the translation the build writes.
#include "app/qt_translations.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kBuilt = QStringLiteral(TERRALOG_TRANSLATIONS);

// Every text a person reads on the window: labels, buttons, group titles.
QStringList shownTexts(const QWidget& window) {
    QStringList out{window.windowTitle()};
    for (const QLabel* l : window.findChildren<QLabel*>()) out << l->text();
    for (const QAbstractButton* b : window.findChildren<QAbstractButton*>()) out << b->text();
    for (const QGroupBox* g : window.findChildren<QGroupBox*>()) out << g->title();
    out.removeAll(QString());
    return out;
}

// English words Qt writes on these dialogs when nothing translates them.
QStringList englishIn(const QStringList& texts) {
    static const QRegularExpression english(
        QStringLiteral("\\b(Print|Printer|Cancel|Save|Open|Look|File|Files|Name|Type|Copies|Options|Properties|"
                       "Location|Output|Collate|Reverse|Color|Grayscale|Pages|Page|Selection|Range|Current|Duplex|"
                       "Preview|Back|Forward|Folder|Directory|Detail|List|Enter|value)\\b"));
    QStringList out;
    for (const QString& t : texts) {
        QString plain = t;
        plain.remove(QLatin1Char('&'));
        if (english.match(plain).hasMatch()) out << t;
    }
    return out;
}

class QtTranslations : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(installQtTranslations(kBuilt, QString()).isEmpty()); }
};

TEST_F(QtTranslations, TheTextInputDialogAnswersOkOrRenunt) {
    QInputDialog dialog;
    dialog.setLabelText(QStringLiteral("Total (ha)"));
    dialog.show();  // the buttons are made when it first shows
    QStringList buttons;
    for (const QAbstractButton* b : dialog.findChildren<QAbstractButton*>()) buttons << b->text();
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{QStringLiteral("OK"), QStringLiteral("Renunt")}));
}

TEST_F(QtTranslations, TheFileDialogsSpeakRomanian) {
    for (const auto mode : {QFileDialog::AcceptSave, QFileDialog::AcceptOpen}) {
        QFileDialog dialog(nullptr, QStringLiteral("Unde salvam arhiva ?"), QDir::tempPath(),
                           QStringLiteral("Arhiva terralog (*.tlg)"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(mode);
        const QStringList texts = shownTexts(dialog);
        EXPECT_TRUE(texts.contains(QStringLiteral("Cauta in:"))) << texts.join(" | ").toStdString();
        EXPECT_TRUE(texts.contains(QStringLiteral("Renunt")));
        EXPECT_TRUE(texts.contains(mode == QFileDialog::AcceptSave ? QStringLiteral("&Salveaza")
                                                                   : QStringLiteral("&Deschide")));
        EXPECT_EQ(englishIn(texts), QStringList()) << texts.join(" | ").toStdString();
    }
}

TEST_F(QtTranslations, ThePrintDialogSpeaksRomanian) {
    QPrinter printer;
    QPrintDialog dialog(&printer);
    const QStringList texts = shownTexts(dialog);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Tiparire"));
    EXPECT_TRUE(texts.contains(QStringLiteral("&Tipareste"))) << texts.join(" | ").toStdString();
    EXPECT_EQ(englishIn(texts), QStringList()) << texts.join(" | ").toStdString();
}

// The folder beside the executable comes before Qt's own folder; with
// neither holding the file nothing is installed.
TEST(QtTranslationsLookup, BesideTheExecutableFirstThenQtsFolder) {
    QTemporaryDir beside, qt;
    ASSERT_TRUE(beside.isValid() && qt.isValid());
    const QString built = QDir(kBuilt).filePath(QStringLiteral("qtbase_ro.qm"));
    ASSERT_TRUE(QFile::copy(built, QDir(beside.path()).filePath(QStringLiteral("qtbase_ro.qm"))));
    ASSERT_TRUE(QFile::copy(built, QDir(qt.path()).filePath(QStringLiteral("qtbase_ro.qm"))));
    const QString missing = QDir(beside.path()).filePath(QStringLiteral("nu-exista"));

    EXPECT_EQ(installQtTranslations(beside.path(), qt.path()), QDir(beside.path()).filePath(QStringLiteral("qtbase_ro.qm")));
    EXPECT_EQ(installQtTranslations(missing, qt.path()), QDir(qt.path()).filePath(QStringLiteral("qtbase_ro.qm")));
    EXPECT_EQ(installQtTranslations(missing, missing), QString());
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Renunt"));
}

}  // namespace
