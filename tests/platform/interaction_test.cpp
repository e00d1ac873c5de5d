#include "platform/interaction.h"

#include <QPrinter>

#include <gtest/gtest.h>

#include "platform/dialogs.h"

using namespace platform;

namespace {

TEST(Interaction, NothingIsScriptedUnlessInstalled) {
    EXPECT_FALSE(Interaction::scripted());
    {
        ScriptedAnswers script;
        EXPECT_TRUE(Interaction::scripted());
        EXPECT_THROW(ScriptedAnswers(), ScriptError);
    }
    EXPECT_FALSE(Interaction::scripted());
}

TEST(Interaction, DialogsTakeAnswersInOrderAndAreRecorded) {
    ScriptedAnswers script;
    script.openFile(QString("/tmp/a.xls")).saveFile(std::nullopt).textInput(QString("12.5")).shellOpen(false);

    EXPECT_EQ(askOpenFileName(nullptr, "Import", "Excel (*.xls)", "xls", "/home"), QString("/tmp/a.xls"));
    EXPECT_EQ(askSaveFileName(nullptr, "Salvare", "Arhive (*.tlg)", "tlg"), std::nullopt);
    EXPECT_EQ(askText(nullptr, "Registru Funciar", "Suprafata", "0"), QString("12.5"));
    EXPECT_FALSE(openWithShell("/tmp/poza.jpg"));
    EXPECT_EQ(script.pending(), 0);

    ASSERT_EQ(script.requests().size(), 4u);
    const DialogRequest& open = script.requests()[0];
    EXPECT_EQ(open.kind, DialogKind::OpenFile);
    EXPECT_EQ(open.caption, "Import");
    EXPECT_EQ(open.filter, "Excel (*.xls)");
    EXPECT_EQ(open.defaultExtension, "xls");
    EXPECT_EQ(open.folder, "/home");
    const DialogRequest& input = script.requests()[2];
    EXPECT_EQ(input.caption, "Registru Funciar");
    EXPECT_EQ(input.text, "Suprafata");
    EXPECT_EQ(input.initialText, "0");
    EXPECT_EQ(script.requests()[3].path, "/tmp/poza.jpg");
}

TEST(Interaction, AScriptedPrintDialogPrintsIntoThePdfItNames) {
    ScriptedAnswers script;
    script.print(QString("/tmp/raport.pdf")).print(std::nullopt);
    QPrinter printer;
    printer.setDocName("RAPORT GENERAL");
    EXPECT_TRUE(askPrinter(nullptr, printer));
    EXPECT_EQ(printer.outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(printer.outputFileName(), "/tmp/raport.pdf");
    EXPECT_EQ(script.requests()[0].kind, DialogKind::Print);
    EXPECT_EQ(script.requests()[0].caption, "RAPORT GENERAL");
    EXPECT_FALSE(askPrinter(nullptr, printer));
}

TEST(Interaction, NoticesAreRecordedWithoutAnswers) {
    ScriptedAnswers script;
    showErrorBox("Tabela nu poate fi deschisa.");
    ASSERT_EQ(script.requestsOf(DialogKind::ErrorBox).size(), 1u);
    EXPECT_EQ(script.requestsOf(DialogKind::ErrorBox)[0].text, "Tabela nu poate fi deschisa.");
    EXPECT_TRUE(script.problems().isEmpty());
}

TEST(Interaction, AScriptThatDoesNotFitFailsLoudly) {
    ScriptedAnswers script;
    EXPECT_THROW(askText(nullptr, "Titlu", "Text", ""), ScriptError);
    script.message(1);
    EXPECT_THROW(askOpenFileName(nullptr, "Deschide", "*", ""), ScriptError);
    EXPECT_EQ(script.pending(), 1);  // the mismatched answer stays queued
    ASSERT_EQ(script.problems().size(), 2);
    EXPECT_TRUE(script.problems()[0].contains("no scripted answer left for the text input \"Titlu\""));
    EXPECT_TRUE(script.problems()[1].contains("for a message, but the program asked a open-file dialog"));
}

}  // namespace
