#include "data/text_routines.h"

#include <QComboBox>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include "platform/qt_application.h"

using namespace data;

namespace {

TEST(CleanText, Cases) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"  Ion   Popescu  ", "Ion Popescu"},
        {"\t\r\nIon\x01", "Ion"},
        {"Ion \"Gica\" Pop", "Ion Gica Pop"},
        {"a \" b", "a  b"},          // the quote goes after the blanks were joined
        {"\"a\" ", "a"},
        {" \"a", "a"},
        {"x \"", "x "},              // a quote at the end leaves the blank before it
        {"\"\"", ""},
        {"", ""},
        {"a\t\tb", "a\t\tb"},        // only blanks are joined
    };
    for (const auto& c : cases) EXPECT_EQ(CleanText(c.in), QString(c.out)) << c.in;
}

TEST(JoinLines, CleansJoinsAndSkipsEmptyLines) {
    EXPECT_EQ(JoinLines(QStringList{"  Ion  Pop ", "", "Ana \"Maria\""}), "Ion Pop; Ana Maria");
    EXPECT_EQ(JoinLines(QStringList{"", "  ", "Ana"}), "Ana");
    EXPECT_EQ(JoinLines(QStringList{"Ana", "\"\"", ""}), "Ana");
    EXPECT_EQ(JoinLines(QStringList{}), "");
    QPlainTextEdit edit;
    edit.setPlainText("  POP ION\n\nPOP  MARIA\n");
    EXPECT_EQ(JoinLines(&edit), "POP ION; POP MARIA");
}

TEST(JoinConditions, Cases) {
    EXPECT_EQ(JoinConditions("   "), "");
    EXPECT_EQ(JoinConditions(""), "");
    EXPECT_EQ(JoinConditions("  (SATUL=\"X\") "), "(SATUL=\"X\")");
    EXPECT_EQ(JoinConditions("(A=1)(B=2)(C=3)"), "(A=1) AND (B=2) AND (C=3)");
    EXPECT_EQ(JoinConditions("(A=1) (B=2)"), "(A=1) (B=2)");
    EXPECT_EQ(JoinConditions("(NUME=\"x)(y\")"), "(NUME=\"x) AND (y\")");
}

TEST(ComboItems, SelectFindsAnItemWithoutRegardToCase) {
    QComboBox box;
    box.addItems({" * toate *", "Bârlad", "Vaslui"});
    SelectComboItem(&box, "VASLUI");
    EXPECT_EQ(box.currentIndex(), 2);
    SelectComboItem(&box, QString::fromUtf8("BÂRLAD"));
    EXPECT_EQ(box.currentIndex(), 1);
    SelectComboItem(&box, "Iasi");
    EXPECT_EQ(box.currentIndex(), -1);
}

TEST(ComboItems, AddKeepsTheSelectionAndComparesExactly) {
    QComboBox box;
    box.addItems({"Arabil", "Vii"});
    box.setCurrentIndex(1);
    AddComboItem(&box, "Arabil");
    EXPECT_EQ(box.count(), 2);
    AddComboItem(&box, "ARABIL");
    ASSERT_EQ(box.count(), 3);
    EXPECT_EQ(box.itemText(2), "ARABIL");
    EXPECT_EQ(box.currentIndex(), 1);

    QComboBox editable;
    editable.setEditable(true);
    editable.addItems({"Livezi"});
    editable.setEditText("livezi");
    AddComboItem(&editable, "Pasune");
    EXPECT_EQ(editable.currentIndex(), 0);  // the typed text found its item
}

}  // namespace
