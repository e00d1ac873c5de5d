#pragma once

#include <string>
#include <vector>

#include <QString>

namespace engine {
class Dataset;
}

namespace exchange {

struct ExportColumn {
    QString caption;
    bool rightAligned = false;  // numbers stand right, texts left
    // A text field's column: its cells are text cells in the spreadsheet
    // outputs even when they read as numbers, so that a title number 0045
    // comes back as 0045 and not as 45.
    bool text = false;
};

// The rows an export writes: captions over columns, and each cell as the
// text it shows (UTF-8). Rows are read by position, so a writer that needs
// the widths first may read them twice; the source's own cursor never moves.
class ExportSource {
public:
    virtual ~ExportSource() = default;
    virtual const std::vector<ExportColumn>& columns() const = 0;
    virtual int rowCount() const = 0;
    virtual void cell(int row, int column, std::string& text) const = 0;
    // A cell that holds a number as such, given without its text; false
    // leaves the writer to read the text.
    virtual bool numberCell(int, int, double&) const { return false; }
};

// Rows held in memory.
class TableExportSource : public ExportSource {
public:
    TableExportSource(std::vector<ExportColumn> columns, std::vector<std::vector<std::string>> rows)
        : columns_(std::move(columns)), rows_(std::move(rows)) {}
    const std::vector<ExportColumn>& columns() const override { return columns_; }
    int rowCount() const override { return int(rows_.size()); }
    void cell(int row, int column, std::string& text) const override;

private:
    std::vector<ExportColumn> columns_;
    std::vector<std::vector<std::string>> rows_;
};

// Fields of a dataset's visible rows (as filtered), each under its caption.
// Numbers show in their shortest form; an empty text shows as nullText
// (the annex export writes "** NUL **", the grids nothing).
class DatasetExportSource : public ExportSource {
public:
    struct Column {
        std::string field;
        QString caption;
    };
    DatasetExportSource(const engine::Dataset& dataset, const std::vector<Column>& columns,
                        std::string nullText = std::string());
    const std::vector<ExportColumn>& columns() const override { return columns_; }
    int rowCount() const override;
    void cell(int row, int column, std::string& text) const override;

private:
    const engine::Dataset& dataset_;
    std::vector<ExportColumn> columns_;
    std::vector<int> fields_;
    std::vector<bool> textFields_;
    std::string nullText_;
};

// A cell text that reads as a number (an optional minus, digits, an optional
// point and digits), and its value; the spreadsheet outputs write those as
// number cells, but in a text column.
bool readsAsNumber(const std::string& text, double& value);

}  // namespace exchange
