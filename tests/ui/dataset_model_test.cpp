// The table model over a dataset: its shape through the dataset's life, and
// what its cells show.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>

#include "grid_fixture.h"
#include "ui/dataset_model.h"

using namespace ui;

namespace {

// Turns the model tester's complaints into test failures.
class ModelTesterFailures {
public:
    ModelTesterFailures() { previous_ = qInstallMessageHandler(&ModelTesterFailures::handle); }
    ~ModelTesterFailures() { qInstallMessageHandler(previous_); }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (type != QtDebugMsg && QByteArray(context.category ? context.category : "").startsWith("qt.modeltest"))
            ADD_FAILURE() << message.toStdString();
    }
    QtMessageHandler previous_ = nullptr;
};

std::vector<GridColumn> annexColumns() {
    return {
        {"NRCRTA", "Nr. Poz.", true, {}, {}, 0},
        {"SATUL", "Satul", true, {}, {}, 0},
        {"NUME", "Autor", true, {}, {}, 0},
        {"TIT", "Numarul", true, {}, {}, 0},
        {"SUPTOT", "Suprafata totala", true, {}, {}, 0},
        {"DATA", "Din data", true, Qt::AlignCenter, {}, 0},
        {"LIPSA", "Camp absent", true, {}, {}, 0},
    };
}

}  // namespace

TEST(DatasetModel, StaysConsistentThroughTheDatasetsLife) {
    ModelTesterFailures failures;
    gridtest::NarrowableDataset ds;
    DatasetModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    model.setDataset(&ds);
    model.setColumns(annexColumns());
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 7) << "titles stay while the dataset is closed";

    ds.open(gridtest::annexLines());
    EXPECT_EQ(model.rowCount(), 5);
    ds.keepRows({2, 3});
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.index(1, 2).data().toString(), "DUMITRU ANA");
    ds.keepRows({0, 1, 2, 3, 4});
    ds.moveTo(3);
    ds.close();
    EXPECT_EQ(model.rowCount(), 0);
    ds.open(gridtest::annexLines());
    model.setColumns({});
    EXPECT_EQ(model.columnCount(), 8);
    EXPECT_EQ(model.headerData(6, Qt::Horizontal).toString(), "SUPTOT");
    model.setDataset(nullptr);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(DatasetModel, ADatasetDestroyedFirstLeavesTheModelEmpty) {
    ModelTesterFailures failures;
    DatasetModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    model.setColumns(annexColumns());
    {
        gridtest::NarrowableDataset ds;
        model.setDataset(&ds);
        ds.open(gridtest::annexLines());
        EXPECT_EQ(model.rowCount(), 5);
    }
    EXPECT_EQ(model.dataset(), nullptr);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 7);
}

TEST(DatasetModel, ShowsNumbersDatesAndTextsAsTheFormsExpect) {
    engine::MemoryDataset ds;
    ds.open(gridtest::annexLines());
    DatasetModel model;
    model.setDataset(&ds);
    auto columns = annexColumns();
    model.setColumns(columns);
    const auto text = [&](int row, const char* field) {
        return model.index(row, model.columnOfField(field)).data().toString().toStdString();
    };
    EXPECT_EQ(text(0, "SUPTOT"), "12.5");
    EXPECT_EQ(text(1, "SUPTOT"), "2.75");
    EXPECT_EQ(text(4, "SUPTOT"), "100");
    EXPECT_EQ(text(2, "SUPTOT"), "") << "NULL";
    EXPECT_EQ(text(0, "NRCRTA"), "1");
    EXPECT_EQ(text(0, "DATA"), "05.06.1995");
    EXPECT_EQ(text(1, "DATA"), "01.01.1900");
    EXPECT_EQ(text(2, "DATA"), "");
    EXPECT_EQ(text(2, "NUME"), "STAN \xC8\x98TEFAN");
    EXPECT_EQ(text(0, "lipsa"), "") << "a field the dataset lacks shows nothing";

    columns[4].format = "0.0000";
    columns[0].format = "0";
    model.setColumns(columns);
    EXPECT_EQ(text(0, "SUPTOT"), "12.5000");
    EXPECT_EQ(text(1, "SUPTOT"), "2.7500");
    EXPECT_EQ(text(3, "SUPTOT"), "0.0025");
    EXPECT_EQ(text(2, "SUPTOT"), "") << "NULL stays empty under a format";
    EXPECT_EQ(text(0, "NRCRTA"), "1");

    const auto alignment = [&](const char* field) {
        return model.index(0, model.columnOfField(field)).data(Qt::TextAlignmentRole).value<Qt::Alignment>();
    };
    EXPECT_EQ(alignment("SUPTOT"), Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(alignment("SATUL"), Qt::AlignLeft | Qt::AlignVCenter);
    EXPECT_EQ(alignment("DATA"), Qt::AlignCenter);
    EXPECT_EQ(model.headerData(4, Qt::Horizontal).toString(), "Suprafata totala");
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
}

TEST(DatasetModel, WaitsWhileTheDatasetsControlsAreDisabled) {
    gridtest::NarrowableDataset ds;
    ds.open(gridtest::annexLines());
    DatasetModel model;
    model.setDataset(&ds);
    int resets = 0;
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { ++resets; });
    std::vector<int> moves;
    QObject::connect(&model, &DatasetModel::currentRowChanged, [&](int row) { moves.push_back(row); });

    ds.disableControls();
    ds.close();
    ds.open(gridtest::annexLines());
    ds.keepRows({0, 1});
    ds.moveTo(1);
    EXPECT_EQ(resets, 0);
    EXPECT_TRUE(moves.empty());
    EXPECT_EQ(model.rowCount(), 5) << "the model keeps its shape until it is told";
    EXPECT_EQ(model.index(4, 0).data().toString(), "") << "rows gone meanwhile read as empty";
    ds.enableControls();
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(model.rowCount(), 2);

    ds.moveTo(0);
    EXPECT_EQ(moves, std::vector<int>{0});
}
