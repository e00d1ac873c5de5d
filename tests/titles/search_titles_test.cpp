// Title search by holder and number, and the header clicks of both grids.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "form_fixture.h"
#include "ui/data_grid.h"

namespace titlestest {
namespace {

using Rows = std::vector<std::string>;

class TitleSearch : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        addTitle("12", "POPESCU ION", {{"DATA", text("05.05.2001")}});
        addTitle("123", "IONESCU ANA", {{"DATA", text("01.01.1999")}});
        addTitle("12/A", "STAN MARIA", {{"DATA", text("03.03.2003")}});
        addTitle("312", "POPA ION", {{"DATA", text("02.02.2002")}});
        addTitle("5", "DAN MIC");
        openForm();
        choosePage(12);
    }

    void search(const QString& holder, const QString& number) {
        form->MostSrc->setText(holder);
        form->TitluSrc->setText(number);
        form->TitluSearchB->click();
    }

    QString condition() const { return QString::fromStdString(form->Tx.lines()[1]); }
};

TEST_F(TitleSearch, ByHolderByNumberOrBoth) {
    const struct {
        const char* holder;
        const char* number;
        const char* shownHolder;
        const char* shownNumber;
        const char* condition;
        Rows numbers;  // in holder order
    } cases[] = {
        {"", "", "", "", "", {"5", "123", "312", "12", "12/A"}},
        {"  ION ", "", "ION", "", "WHERE (TITULAR LIKE \"%ION%\")", {"123", "312", "12"}},
        {"", "12", "", "12", "WHERE (TPNR LIKE \"12%\")", {"123", "12", "12/A"}},
        {"", " \"12\"  /A ", "", "12 /A", "WHERE (TPNR LIKE \"12 /A%\")", {}},
        {"ION", "12", "ION", "12", "WHERE (TITULAR LIKE \"%ION%\") AND (TPNR LIKE \"12%\")", {"123", "12"}},
        // A quote cannot end the literal: it is dropped.
        {"\"MIC", "", "MIC", "", "WHERE (TITULAR LIKE \"%MIC%\")", {"5"}},
    };
    for (const auto& c : cases) {
        search(c.holder, c.number);
        SCOPED_TRACE(c.condition);
        EXPECT_EQ(form->MostSrc->text(), c.shownHolder);
        EXPECT_EQ(form->TitluSrc->text(), c.shownNumber);
        EXPECT_EQ(condition(), c.condition);
        EXPECT_EQ(column(form->Tx, "TPNR"), c.numbers);
        EXPECT_EQ(form->TotalLab->text(), QString::number(c.numbers.size()));
        EXPECT_EQ(form->Tx.lines()[2], "ORDER BY TITULAR");
    }
    // The surfaces, files and buttons follow the first title found.
    search("", "999");
    EXPECT_FALSE(form->PozaAddB->isEnabled());
    EXPECT_FALSE(form->TitluEditB->isEnabled());
}

TEST_F(TitleSearch, ShowAllKeepsTheTypedTextsAndTheOrder) {
    form->SMDBGrid1TitleClick("TPNR");
    search("ION", "12");
    form->TitluClearB->click();
    EXPECT_EQ(condition(), " ");
    EXPECT_EQ(form->Tx.lines()[2], "ORDER BY TPNR");
    EXPECT_EQ(form->Tx.recordCount(), 5);
    EXPECT_EQ(form->TotalLab->text(), "5");
    EXPECT_EQ(form->MostSrc->text(), "ION");
    EXPECT_EQ(form->TitluSrc->text(), "12");

    // Enter in the number box searches again with them; Enter in the holder box moves there.
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    choosePage(12);  // showing the form went to its first page
    form->MostSrc->setFocus();
    QTest::keyClick(form->MostSrc, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), form->TitluSrc);
    QTest::keyClick(form->TitluSrc, Qt::Key_Enter);
    EXPECT_EQ(condition(), "WHERE (TITULAR LIKE \"%ION%\") AND (TPNR LIKE \"12%\")");
    EXPECT_EQ(form->Tx.recordCount(), 2);
    form->hide();
}

TEST_F(TitleSearch, AHeaderClickSortsAndKeepsTheCurrentTitle) {
    form->Tx.locate("TPNR", engine::Value::text("312"));
    emit form->SMDBGrid1->titleClicked("DATAS");
    EXPECT_EQ(form->Tx.lines()[2], "ORDER BY DATA");
    EXPECT_EQ(current(form->Tx, "TPNR"), "312");
    EXPECT_EQ(column(form->Tx, "TPNR"), (Rows{"5", "123", "12", "312", "12/A"}));

    // A searched list stays searched.
    search("ION", "");
    form->Tx.locate("TPNR", engine::Value::text("12"));
    form->SMDBGrid1TitleClick("TPNR");
    EXPECT_EQ(condition(), "WHERE (TITULAR LIKE \"%ION%\")");
    EXPECT_EQ(column(form->Tx, "TPNR"), (Rows{"12", "123", "312"}));
    EXPECT_EQ(current(form->Tx, "TPNR"), "12");

    // With nothing listed there is nothing to keep.
    search("NIMENI", "");
    form->SMDBGrid1TitleClick("INSAT");
    EXPECT_EQ(form->Tx.lines()[2], "ORDER BY INSAT");
    EXPECT_TRUE(form->Tx.isOpen());
    EXPECT_EQ(form->Tx.recordCount(), 0);
}

TEST_F(TitleSearch, ShowingAnAnnexDropsTheSearch) {
    search("ION", "");
    choosePage(0);
    EXPECT_EQ(condition(), " ");
}

class AnnexSort : public FormFixture {};

TEST_F(AnnexSort, AHeaderClickSortsTheLinesUntilTheNextFilterChange) {
    const int a = addLine("Anexa 2A", "VALEA", "ANA");
    const int b = addLine("Anexa 2A", "ARINI", "BOB");
    addLine("Anexa 2A", "CODRU", "CARP");
    addLinkedTitle(a, "Anexa 2A", "9", "ANA");
    addLinkedTitle(b, "Anexa 2A", "10", "BOB");
    openForm();
    form->Anex.locate("IDANEXA", engine::Value::number(engine::Decimal::fromInt(b)));
    emit form->SMDBGrid3->titleClicked("SATUL");
    EXPECT_EQ(form->Anex.lines()[9], "ORDER BY SATUL");
    EXPECT_EQ(column(form->Anex, "SATUL"), (Rows{"ARINI", "CODRU", "VALEA"}));
    EXPECT_EQ(current(form->Anex, "IDANEXA"), std::to_string(b));
    EXPECT_EQ(column(form->Tx, "TPNR"), Rows{"10"});

    // The summary columns sort by their result names; numbers compare as text.
    form->SMDBGrid3TitleClick("TIT");
    EXPECT_EQ(form->Anex.lines()[9], "ORDER BY TIT");
    EXPECT_EQ(column(form->Anex, "TIT"), (Rows{"", "10", "9"}));
    EXPECT_EQ(current(form->Anex, "IDANEXA"), std::to_string(b));

    form->CheckBox1->setChecked(true);
    EXPECT_EQ(form->Anex.lines()[9], "ORDER BY NUME");
    form->CheckBox1->setChecked(false);
    EXPECT_EQ(form->Anex.lines()[9], " ");
}

TEST_F(AnnexSort, OneLineOrNoneIsLeftAlone) {
    openForm();
    form->SMDBGrid3TitleClick("SATUL");
    EXPECT_EQ(form->Anex.lines()[9], " ");
    addLine("Anexa 2B", "VALEA", "ANA");
    choosePage(1);
    form->SMDBGrid3TitleClick("SATUL");
    EXPECT_EQ(form->Anex.lines()[9], " ");
}

}  // namespace
}  // namespace titlestest
