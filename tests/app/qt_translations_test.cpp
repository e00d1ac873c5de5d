// Qt's own dialogs in Romanian, from the translation the build writes.
#include "app/qt_translations.h"

#include <QAbstractButton>
#include <QApplication>
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
#include <QFileSystemModel>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "common/test_paths.h"
#include "platform/dialogs.h"

namespace {

const QString kBuilt = QString::fromStdString(testing_paths::builtFile("translations"));

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

// The program's file dialog names the kinds of files in Romanian too, not
// with the system's descriptions in the process's C locale.
TEST_F(QtTranslations, TheProgramsFileDialogNamesFileKindsInRomanian) {
    QTemporaryDir folder;
    QFile(folder.filePath(QStringLiteral("anexa.xls"))).open(QIODevice::WriteOnly);
    ASSERT_TRUE(QDir().mkpath(folder.filePath(QStringLiteral("arhive"))));
    QStringList kinds;
    QTimer look;
    look.setInterval(50);
    QObject::connect(&look, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        auto* files = dialog->findChild<QFileSystemModel*>();
        const QModelIndex file = files ? files->index(folder.filePath(QStringLiteral("anexa.xls")), 2) : QModelIndex();
        const QModelIndex sub = files ? files->index(folder.filePath(QStringLiteral("arhive")), 2) : QModelIndex();
        const QString fileKind = files ? files->data(file).toString() : QString();
        const QString subKind = files ? files->data(sub).toString() : QString();
        if (fileKind.isEmpty() || subKind.isEmpty()) return;  // still reading the folder
        kinds << fileKind << subKind;
        dialog->reject();
    });
    look.start();
    platform::askOpenFileName(nullptr, QStringLiteral("Alegeti fisierul XLS"), QStringLiteral("Fisier Excel (*.xls)"),
                              QStringLiteral("xls"), folder.path());
    EXPECT_EQ(kinds, (QStringList{QStringLiteral("Fisier XLS"), QStringLiteral("Dosar")}));
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
