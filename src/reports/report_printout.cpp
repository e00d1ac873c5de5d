// The printed report. Everything is laid out in tenths of a point on the
// device's paintable area, twice: once to count the pages ("Pagina n din m"
// needs m on the first page), once to paint them. Both passes break texts
// into lines with the same rule and give each row the height of its longest
// cell, so the count is exact.
//
// Columns are sized from every row they print: a number is never cut nor
// broken, a text that does not fit goes on over more lines, long texts
// first; the table's type gets smaller (down to 6.5 points) before a short
// text wraps, and further only when the numbers and the narrowest texts
// together are wider than the page.
#include "reports/report_printout.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include "ui/dataset_model.h"

namespace reports {
namespace {

constexpr double kUnitsPerInch = 720.0;
constexpr double kCellPadding = 25.0;
constexpr double kBlockGap = 120.0;
constexpr double kTotalsShare = 0.45;  // of the page width
constexpr int kTableType = 75;         // tenths of a point
constexpr int kSmallestTableType = 45;
// Short texts are wrapped rather than printed smaller than this.
constexpr int kReadableTableType = 65;
// A text column grows no narrower than this many average letters.
constexpr double kLeastLetters = 6;
// Fields of up to this many letters are short texts, kept whole first.
constexpr int kShortField = 24;
// A word longer than this many letters may break inside.
constexpr double kLongWord = 14;
// The width left to the long texts is given out in this many pieces, judged
// on at most this many rows.
constexpr int kWidthSteps = 40;
constexpr int kSampledRows = 2000;

const QColor kInk(0x1E, 0x3A, 0x6E);
const QColor kRule(0xB8, 0xC6, 0xDA);
const QColor kHeadFill(0xD5, 0xE0, 0xEF);
const QColor kStripe(0xF4, 0xF7, 0xFB);

QFont sizedFont(int tenthsOfPoint, bool bold = false) {
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    // No ligatures: text copied from the page reads as typed ("fi", not one glyph).
    f.setStyleStrategy(QFont::PreferNoShaping);
    f.setPixelSize(tenthsOfPoint);
    f.setBold(bold);
    return f;
}

double lineHeight(const QFont& f) { return QFontMetricsF(f).height(); }

// A text broken into the lines it takes in `width`: at word boundaries, and
// inside a word only when the word alone is wider. A text that fits is one
// line, found without laying it out.
QStringList wrappedLines(const QString& text, const QFont& font, double width, bool wordsOnly = false) {
    if (text.isEmpty() || QFontMetricsF(font).horizontalAdvance(text) <= width) return {text};
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(wordsOnly ? QTextOption::WordWrap : QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}

class PageLayout {
public:
    PageLayout(const ReportPrintout& printout, QSizeF page, QPainter* painter, int pages,
               const std::function<void(int, int)>& pageDone)
        : p_(printout), pageSize_(page), painter_(painter), pages_(pages), pageDone_(pageDone) {}

    int run() {
        startPage();
        table(p_.rows, pageSize_.width());
        y_ += kBlockGap;
        const ReportGrid& totals = p_.totals;
        const double totalsWidth = pageSize_.width() * kTotalsShare;
        // The totals and the figures stay on one page when they fit on one.
        const double captionHeight = lineHeight(caption_) * 1.6;
        const double block = captionHeight + headerHeight() + rowHeight() * (totals.rows ? totals.rows->recordCount() : 0) +
                             kBlockGap / 2 + figuresHeight();
        need(block <= bodyHeight() ? block : captionHeight + headerHeight() + rowHeight());
        text(QRectF(0, y_, totalsWidth, lineHeight(caption_) * 1.4), caption_, Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Totaluri pe tip si categorie"));
        y_ += captionHeight;
        table(totals, totalsWidth);
        y_ += kBlockGap / 2;
        figures(totalsWidth);
        finishPage();
        return pageNumber_;
    }

private:
    double rowHeight(int lines = 1) const { return lines * lineHeight(cell_) + 2 * 14; }
    double headerHeight() const { return std::max(headerLines_, 2) * lineHeight(head_) + 2 * 16; }
    double bodyBottom() const { return pageSize_.height() - lineHeight(footer_) * 2.2; }
    // The height a page after the first has for rows.
    double bodyHeight() const { return bodyBottom() - continuedHeaderHeight() - headerHeight(); }
    double continuedHeaderHeight() const { return lineHeight(small_) * 1.5 + 80; }
    double figureLine() const { return lineHeight(textBold_) * 1.5; }
    double figuresHeight() const { return figureLine() * double(p_.figures.size()) + 40; }

    void need(double height) {
        if (y_ + height > bodyBottom()) newPage();
    }

    void newPage() {
        finishPage();
        if (painter_) static_cast<QPagedPaintDevice*>(painter_->device())->newPage();
        startPage();
    }

    void startPage() {
        ++pageNumber_;
        y_ = 0;
        const double w = pageSize_.width();
        if (pageNumber_ == 1) {
            const double officeLine = lineHeight(office_) * 1.3;
            text(QRectF(0, 0, w * 0.7, officeLine), office_, Qt::AlignLeft | Qt::AlignVCenter, p_.office);
            text(QRectF(w * 0.7, 0, w * 0.3, officeLine), small_, Qt::AlignRight | Qt::AlignVCenter, printedOn());
            y_ = officeLine + 80;
            const double titleLine = lineHeight(title_) * 1.4;
            text(QRectF(0, y_, w, titleLine), title_, Qt::AlignCenter, p_.title);
            y_ += titleLine + 40;
            filterBlock();
            y_ += kBlockGap;
            return;
        }
        const double line = lineHeight(small_) * 1.5;
        text(QRectF(0, 0, w / 3, line), small_, Qt::AlignLeft | Qt::AlignVCenter, p_.office);
        text(QRectF(w / 3, 0, w / 3, line), smallBold_, Qt::AlignCenter, p_.title);
        text(QRectF(2 * w / 3, 0, w / 3, line), small_, Qt::AlignRight | Qt::AlignVCenter, printedOn());
        rule(line + 10, 0, w);
        y_ = continuedHeaderHeight();
        if (repeatHeader_) tableHeader();
    }

    void finishPage() {
        if (!painter_) return;
        const double w = pageSize_.width();
        const double line = lineHeight(footer_) * 1.5;
        const double top = pageSize_.height() - line;
        rule(top - 10, 0, w);
        text(QRectF(0, top, w / 2, line), footer_, Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Tiparit la ") + p_.printedAt.toString(QStringLiteral("dd.MM.yyyy HH:mm")));
        text(QRectF(w / 2, top, w / 2, line), footer_, Qt::AlignRight | Qt::AlignVCenter,
             QStringLiteral("Pagina %1 din %2").arg(pageNumber_).arg(pages_));
        if (pageDone_) pageDone_(pageNumber_, pages_);
    }

    QString printedOn() const { return QStringLiteral("Data: ") + p_.printedAt.toString(QStringLiteral("dd.MM.yyyy")); }

    void filterBlock() {
        const double w = pageSize_.width();
        const QString label = QStringLiteral("Selectie:");
        const double labelWidth = QFontMetricsF(textBold_).horizontalAdvance(label) + 60;
        const QString shown = p_.filters.isEmpty() ? QStringLiteral("toate suprafetele, fara filtre")
                                                   : p_.filters.join(QStringLiteral(";   "));
        const QRectF area(labelWidth, y_, w - labelWidth, pageSize_.height());
        const double height = std::max(lineHeight(text_),
                                       QFontMetricsF(text_).boundingRect(area, Qt::TextWordWrap, shown).height());
        text(QRectF(0, y_, labelWidth, lineHeight(text_)), textBold_, Qt::AlignLeft | Qt::AlignTop, label);
        text(QRectF(labelWidth, y_, w - labelWidth, height), text_, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
             shown);
        y_ += height;
    }

    // A table: its header, then one row per dataset row; the header is
    // repeated on every page the rows go on to.
    void table(const ReportGrid& grid, double width) {
        model_.setDataset(grid.rows);
        model_.setColumns(grid.columns);
        fitColumns(width);
        tableWidth_ = width;

        need(headerHeight() + rowHeight());
        tableHeader();
        repeatHeader_ = true;
        const int rows = model_.rowCount();
        for (int r = 0; r < rows; ++r) {
            const std::vector<QStringList> cells = rowCells(r);
            int lines = 1;
            for (const QStringList& c : cells) lines = std::max(lines, int(c.size()));
            need(rowHeight(lines));
            row(r, cells, lines);
        }
        repeatHeader_ = false;
        model_.setDataset(nullptr);
    }

    // The lines of each cell of a row in its column.
    std::vector<QStringList> rowCells(int r) const {
        std::vector<QStringList> out;
        for (int c = 0; c < int(widths_.size()); ++c) {
            const QString shown = model_.displayText(r, c);
            out.push_back(number_[size_t(c)] ? QStringList{shown}
                                             : wrappedLines(shown, cell_, widths_[size_t(c)] - 2 * kCellPadding));
        }
        return out;
    }

    // The widths of the columns in the table's width, with the table's type
    // made smaller while even the least widths do not fit (see the top).
    void fitColumns(double width) {
        for (int type = kTableType;; type -= 5) {
            cell_ = sizedFont(type);
            head_ = sizedFont(type, true);
            const Fit fit = fitColumnsAtType(width);
            if (fit == Fit::ShortTextsWhole || type <= kSmallestTableType) break;
            if (fit == Fit::ShortTextsWrap && type <= kReadableTableType) break;
        }
        headerLines_ = 1;
        for (int c = 0; c < int(widths_.size()); ++c)
            headerLines_ = std::max(headerLines_, int(wrappedLines(model_.headerData(c, Qt::Horizontal).toString(),
                                                                   head_, widths_[size_t(c)] - 2 * kCellPadding, true)
                                                          .size()));
    }

    // Each column as wide as its title's longest word and every value it
    // prints, when the page has the room. When not, the short texts (a
    // village, an annex, a category: fields of up to kShortField letters)
    // stay whole and the long ones (holders, plot names, details) share what
    // is left, a piece at a time to the column where it saves the most lines
    // over all the rows; only when even that does not fit are the short texts
    // wrapped too. No text column is narrower than its longest word (up to
    // kLongWord letters), so words break inside only when very long.
    // How the columns came out at a type: the short texts whole, or
    // wrapped; or even the least widths too wide, the columns then sharing
    // the width as they can.
    enum class Fit { ShortTextsWhole, ShortTextsWrap, TooWide };
    Fit fitColumnsAtType(double width) {
        const QFontMetricsF headMetrics(head_);
        const QFontMetricsF cellMetrics(cell_);
        const int columns = model_.columnCount();
        const int rows = model_.rowCount();
        std::vector<double> least(static_cast<size_t>(columns)), natural(static_cast<size_t>(columns));
        std::vector<bool> longText(size_t(columns), false);
        std::vector<std::vector<double>> longWidths;  // of each long text column's values, by row
        std::vector<int> longColumns;
        number_.assign(size_t(columns), false);
        const double letter = cellMetrics.averageCharWidth();
        for (int c = 0; c < columns; ++c) {
            double title = 0;
            for (const QString& word : model_.headerData(c, Qt::Horizontal).toString().split(QLatin1Char(' ')))
                title = std::max(title, headMetrics.horizontalAdvance(word));
            const engine::FieldDef* def = model_.fieldDefOfColumn(c);
            const bool number = def && def->type == engine::FieldType::Number;
            number_[size_t(c)] = number;
            longText[size_t(c)] = !number && fieldWidth(c) > kShortField;
            double widest = 0, word = 0;
            std::vector<double> values;
            for (int r = 0; r < rows; ++r) {
                const QString shown = model_.displayText(r, c);
                const double w = cellMetrics.horizontalAdvance(shown);
                widest = std::max(widest, w);
                if (longText[size_t(c)]) {
                    values.push_back(w);
                    for (const QString& part : shown.split(QLatin1Char(' ')))
                        word = std::max(word, cellMetrics.horizontalAdvance(part));
                }
            }
            natural[size_t(c)] = std::max(title, widest) + 2 * kCellPadding;
            least[size_t(c)] = number ? natural[size_t(c)]
                                      : std::min(natural[size_t(c)],
                                                 std::max({title, letter * kLeastLetters, std::min(word, letter * kLongWord)}) +
                                                     2 * kCellPadding);
            if (longText[size_t(c)]) {
                longColumns.push_back(c);
                longWidths.push_back(std::move(values));
            }
        }
        widths_ = natural;
        if (widths_.empty()) return Fit::ShortTextsWhole;
        double all = 0, floor = 0, whole = 0;
        for (int c = 0; c < columns; ++c) {
            all += natural[size_t(c)];
            floor += least[size_t(c)];
            whole += longText[size_t(c)] ? least[size_t(c)] : natural[size_t(c)];
        }
        if (all <= width) {
            // Width to spare goes to the column of the longest field (the holders).
            size_t longest = 0;
            for (size_t c = 0; c < widths_.size(); ++c)
                if (fieldWidth(int(c)) > fieldWidth(int(longest))) longest = c;
            widths_[longest] += width - all;
            return Fit::ShortTextsWhole;
        }
        if (floor > width) {
            for (double& w : widths_) w = w * width / all;
            return Fit::TooWide;
        }
        for (const int c : longColumns) widths_[size_t(c)] = least[size_t(c)];
        if (whole > width) {
            // The short texts capped alike at the widest width that fits.
            double low = 0, high = *std::max_element(natural.begin(), natural.end());
            const auto capped = [&](int c, double cap) {
                return number_[size_t(c)] || longText[size_t(c)]
                           ? widths_[size_t(c)]
                           : std::max(least[size_t(c)], std::min(natural[size_t(c)], cap));
            };
            for (int i = 0; i < 50; ++i) {
                const double cap = (low + high) / 2;
                double total = 0;
                for (int c = 0; c < columns; ++c) total += capped(c, cap);
                (total <= width ? low : high) = cap;
            }
            for (int c = 0; c < columns; ++c) widths_[size_t(c)] = capped(c, low);
            return Fit::ShortTextsWrap;
        }
        // The lines the rows take, told from the widths of their values (on
        // rows spread over a long report), with one column widened.
        const int every = std::max(1, rows / kSampledRows);
        const auto lines = [&](size_t widened, double extra) {
            double total = 0;
            for (int r = 0; r < rows; r += every) {
                double most = 1;
                for (size_t i = 0; i < longColumns.size(); ++i) {
                    const double room = widths_[size_t(longColumns[i])] + (i == widened ? extra : 0) - 2 * kCellPadding;
                    most = std::max(most, std::ceil(longWidths[i][size_t(r)] / room));
                }
                total += most;
            }
            return total;
        };
        // Piece by piece, the widening that saves the most lines for its
        // width: a column may need several pieces before a row saves one.
        const double piece = (width - whole) / kWidthSteps;
        for (int left = kWidthSteps; left > 0;) {
            const double now = lines(longColumns.size(), 0);
            size_t best = longColumns.size();
            int bestPieces = 0;
            double bestGain = 0;
            for (size_t i = 0; i < longColumns.size(); ++i) {
                const int c = longColumns[i];
                for (int n = 1; n <= left; ++n) {
                    const double extra = std::min(n * piece, natural[size_t(c)] - widths_[size_t(c)]);
                    if (extra <= 0) break;
                    const double gain = (now - lines(i, extra)) / n;
                    if (gain > bestGain) {
                        best = i;
                        bestPieces = n;
                        bestGain = gain;
                    }
                    if (extra < n * piece) break;  // the column is whole
                }
            }
            if (best == longColumns.size()) {
                // Nothing saves a line any more: the rest to the longest field.
                size_t longest = 0;
                for (size_t i = 0; i < longColumns.size(); ++i)
                    if (natural[size_t(longColumns[i])] > natural[size_t(longColumns[longest])]) longest = i;
                const int c = longColumns.empty() ? -1 : longColumns[longest];
                if (c >= 0) widths_[size_t(c)] += left * piece;
                break;
            }
            widths_[size_t(longColumns[best])] += bestPieces * piece;
            left -= bestPieces;
        }
        return Fit::ShortTextsWhole;
    }

    int fieldWidth(int column) const {
        const engine::FieldDef* def = model_.fieldDefOfColumn(column);
        return def ? def->width : 0;
    }

    void tableHeader() {
        const double h = headerHeight();
        if (painter_) {
            painter_->fillRect(QRectF(0, y_, tableWidth_, h), kHeadFill);
            double x = 0;
            for (int c = 0; c < int(widths_.size()); ++c) {
                const double w = widths_[size_t(c)] - 2 * kCellPadding;
                const QStringList lines =
                    wrappedLines(model_.headerData(c, Qt::Horizontal).toString(), head_, w, true);
                const double line = lineHeight(head_);
                double top = y_ + (h - line * double(lines.size())) / 2;
                for (const QString& l : lines) {
                    text(QRectF(x + kCellPadding, top, w, line), head_, Qt::AlignCenter, l);
                    top += line;
                }
                x += widths_[size_t(c)];
            }
            frame(QRectF(0, y_, tableWidth_, h));
        }
        y_ += h;
    }

    // A row of `lines` lines; each cell's lines in the middle of the row,
    // as the grid shows them.
    void row(int r, const std::vector<QStringList>& cells, int lines) {
        const double h = rowHeight(lines);
        if (painter_) {
            if (r % 2) painter_->fillRect(QRectF(0, y_, tableWidth_, h), kStripe);
            double x = 0;
            const double line = lineHeight(cell_);
            for (int c = 0; c < int(widths_.size()); ++c) {
                const double w = widths_[size_t(c)];
                const auto align = model_.data(model_.index(r, c), Qt::TextAlignmentRole).value<Qt::Alignment>();
                const QStringList& cell = cells[size_t(c)];
                double top = y_ + (h - line * double(cell.size())) / 2;
                for (const QString& l : cell) {
                    text(QRectF(x + kCellPadding, top, w - 2 * kCellPadding, line), cell_,
                         int((align & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter), l);
                    top += line;
                }
                x += w;
            }
            painter_->setPen(QPen(kRule, 4));
            painter_->drawLine(QPointF(0, y_ + h), QPointF(tableWidth_, y_ + h));
            painter_->drawLine(QPointF(0, y_), QPointF(0, y_ + h));
            painter_->drawLine(QPointF(tableWidth_, y_), QPointF(tableWidth_, y_ + h));
        }
        y_ += h;
    }

    // The report's figures under the totals, caption to the left and value
    // to the right; kept on one page.
    void figures(double width) {
        const double line = figureLine();
        need(figuresHeight());
        const double top = y_;
        for (const auto& [caption, value] : p_.figures) {
            text(QRectF(kCellPadding * 2, y_, width / 2, line), text_, Qt::AlignLeft | Qt::AlignVCenter, caption);
            text(QRectF(width / 2, y_, width / 2 - kCellPadding * 2, line), textBold_, Qt::AlignRight | Qt::AlignVCenter,
                 value);
            y_ += line;
        }
        if (painter_) frame(QRectF(0, top, width, y_ - top));
    }

    // `flags`: an alignment, with Qt::TextWordWrap where the text may wrap.
    void text(const QRectF& rect, const QFont& font, int flags, const QString& s) {
        if (!painter_) return;
        painter_->setFont(font);
        painter_->setPen(Qt::black);
        painter_->drawText(rect, flags, s);
    }

    void rule(double y, double from, double to) {
        if (!painter_) return;
        painter_->setPen(QPen(kInk, 6));
        painter_->drawLine(QPointF(from, y), QPointF(to, y));
    }

    void frame(const QRectF& rect) {
        painter_->setPen(QPen(kInk, 6));
        painter_->setBrush(Qt::NoBrush);
        painter_->drawRect(rect);
    }

    const ReportPrintout& p_;
    const QSizeF pageSize_;
    QPainter* painter_;
    const int pages_;
    const std::function<void(int, int)>& pageDone_;

    const QFont office_ = sizedFont(110, true);
    const QFont title_ = sizedFont(170, true);
    const QFont caption_ = sizedFont(95, true);
    const QFont text_ = sizedFont(90);
    const QFont textBold_ = sizedFont(90, true);
    const QFont small_ = sizedFont(80);
    const QFont smallBold_ = sizedFont(80, true);
    // The table's type, made smaller for a table too wide for the page.
    QFont head_ = sizedFont(kTableType, true);
    QFont cell_ = sizedFont(kTableType);
    const QFont footer_ = sizedFont(75);

    ui::DatasetModel model_;
    std::vector<double> widths_;
    std::vector<bool> number_;  // per column: a number, never broken
    int headerLines_ = 2;
    double tableWidth_ = 0;
    bool repeatHeader_ = false;
    int pageNumber_ = 0;
    double y_ = 0;
};

}  // namespace

int printReport(const ReportPrintout& printout, QPagedPaintDevice& device,
                const std::function<void(int, int)>& pageDone) {
    const QSizeF page(device.widthMM() / 25.4 * kUnitsPerInch, device.heightMM() / 25.4 * kUnitsPerInch);
    const int pages = PageLayout(printout, page, nullptr, 0, pageDone).run();

    QPainter painter;
    if (!painter.begin(&device)) throw std::runtime_error("Raportul nu poate fi tiparit: imprimanta nu il primeste.");
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setViewport(0, 0, device.width(), device.height());
    painter.setWindow(0, 0, int(page.width()), int(page.height()));
    PageLayout(printout, page, &painter, pages, pageDone).run();
    painter.end();
    return pages;
}

}  // namespace reports
