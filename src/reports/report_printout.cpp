// The printed report. Everything is laid out in tenths of a point on the
// device's paintable area, twice: once to count the pages ("Pagina n din m"
// needs m on the first page), once to paint them. Rows have one fixed
// height and long texts are cut with an ellipsis, so the count is exact.
#include "reports/report_printout.h"

#include <algorithm>
#include <stdexcept>

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include "ui/dataset_model.h"

namespace reports {
namespace {

constexpr double kUnitsPerInch = 720.0;
constexpr double kCellPadding = 25.0;
constexpr double kBlockGap = 120.0;
constexpr double kTotalsShare = 0.45;  // of the page width
constexpr double kWidestColumnShare = 0.3;
constexpr int kSampledRows = 300;

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
    double rowHeight() const { return lineHeight(cell_) + 2 * 14; }
    double headerHeight() const { return 2 * lineHeight(head_) + 2 * 16; }
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
        widths_ = fittedWidths(width);
        tableWidth_ = width;

        need(headerHeight() + rowHeight());
        tableHeader();
        repeatHeader_ = true;
        const int rows = model_.rowCount();
        for (int r = 0; r < rows; ++r) {
            need(rowHeight());
            row(r);
        }
        repeatHeader_ = false;
        model_.setDataset(nullptr);
    }

    // Each column as wide as its title's longest word and the values of the
    // first rows need, then fitted to the table's width: spare width goes to
    // the column of the longest field (the holders), missing width is taken
    // from the columns wider than their titles.
    std::vector<double> fittedWidths(double width) const {
        const QFontMetricsF headMetrics(head_);
        const QFontMetricsF cellMetrics(cell_);
        const int sampled = std::min(model_.rowCount(), kSampledRows);
        std::vector<double> least, natural;
        for (int c = 0; c < model_.columnCount(); ++c) {
            double title = 0;
            for (const QString& word : model_.headerData(c, Qt::Horizontal).toString().split(QLatin1Char(' ')))
                title = std::max(title, headMetrics.horizontalAdvance(word));
            double values = 0;
            for (int r = 0; r < sampled; ++r) values = std::max(values, cellMetrics.horizontalAdvance(model_.displayText(r, c)));
            least.push_back(title + 2 * kCellPadding);
            natural.push_back(std::min(std::max(title, values) + 2 * kCellPadding, width * kWidestColumnShare));
        }
        std::vector<double> out = natural;
        double sum = 0;
        for (double w : natural) sum += w;
        if (out.empty()) return out;
        if (sum <= width) {
            size_t longest = 0;
            for (size_t c = 0; c < out.size(); ++c)
                if (fieldWidth(int(c)) > fieldWidth(int(longest))) longest = c;
            out[longest] += width - sum;
            return out;
        }
        double slack = 0;
        for (size_t c = 0; c < out.size(); ++c) slack += std::max(0.0, natural[c] - least[c]);
        const double share = slack > 0 ? std::min(1.0, (sum - width) / slack) : 0;
        sum = 0;
        for (size_t c = 0; c < out.size(); ++c) {
            out[c] = natural[c] - std::max(0.0, natural[c] - least[c]) * share;
            sum += out[c];
        }
        // Titles alone wider than the page: everything shrinks alike.
        for (double& w : out) w *= width / sum;
        return out;
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
                const QRectF cell(x + kCellPadding, y_, widths_[size_t(c)] - 2 * kCellPadding, h);
                text(cell, head_, Qt::AlignCenter | Qt::TextWordWrap, model_.headerData(c, Qt::Horizontal).toString());
                x += widths_[size_t(c)];
            }
            frame(QRectF(0, y_, tableWidth_, h));
        }
        y_ += h;
    }

    void row(int r) {
        const double h = rowHeight();
        if (painter_) {
            if (r % 2) painter_->fillRect(QRectF(0, y_, tableWidth_, h), kStripe);
            double x = 0;
            const QFontMetricsF metrics(cell_);
            for (int c = 0; c < int(widths_.size()); ++c) {
                const double w = widths_[size_t(c)];
                const QRectF cell(x + kCellPadding, y_, w - 2 * kCellPadding, h);
                const QModelIndex index = model_.index(r, c);
                const auto align = model_.data(index, Qt::TextAlignmentRole).value<Qt::Alignment>();
                const QString shown = metrics.elidedText(model_.displayText(r, c), Qt::ElideRight, cell.width());
                text(cell, cell_, int(align), shown);
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
    const QFont head_ = sizedFont(75, true);
    const QFont cell_ = sizedFont(75);
    const QFont footer_ = sizedFont(75);

    ui::DatasetModel model_;
    std::vector<double> widths_;
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
