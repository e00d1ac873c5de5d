#pragma once

#include <vector>

#include <QStackedWidget>
#include <QStringList>

#include "engine/dataset.h"

class QLineEdit;
class QPlainTextEdit;

namespace titles {

// The details of the current annex line, laid out as its annex keeps them:
// one page per annex page, each a column of labelled values and, for most
// annexes, the table of agricultural land. Display only. It follows the
// cursor of the lines' dataset, which must outlive it or be detached first.
class LineDetailPanel : public QStackedWidget, private engine::DatasetObserver {
    Q_OBJECT

public:
    explicit LineDetailPanel(QWidget* parent = nullptr);
    ~LineDetailPanel() override;

    void setDataset(engine::Dataset* dataset);
    // Shows the layout of an annex page (0 to 11).
    void showAnnex(int page);

    // What the shown layout holds: its labels in order, whether it has the
    // land table, and the text it shows for a field (empty when the layout
    // does not show that field).
    QStringList labels() const;
    bool hasLandTable() const;
    QString shownValue(const QString& field) const;

private:
    struct Binding {
        QString field;
        QLineEdit* line = nullptr;
        QPlainTextEdit* box = nullptr;
    };
    struct Page {
        QStringList labels;
        bool land = false;
        std::vector<Binding> bindings;
    };

    void buildPage(int annex);
    void refresh();
    void datasetReset(engine::Dataset& dataset) override;
    void currentChanged(engine::Dataset& dataset) override;
    void datasetDestroyed(engine::Dataset& dataset) override;

    engine::Dataset* dataset_ = nullptr;
    std::vector<Page> pages_;
};

}  // namespace titles
