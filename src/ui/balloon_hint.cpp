#include "ui/balloon_hint.h"

#include <QApplication>
#include <QGraphicsOpacityEffect>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QScreen>
#include <QStyle>
#include <QTimer>

namespace ui {

namespace {

constexpr int kPreferredWidth = 300;
constexpr int kMargin = 10;
constexpr int kIconSize = 20;
constexpr int kTailHeight = 14;
constexpr int kTailWidth = 16;
constexpr int kTailInset = 22;  // from the balloon's side to the tail's near edge
constexpr int kFadeMsec = 200;
const QColor kFill(0xFF, 0xFF, 0xE1);
const QColor kBorder(0x76, 0x76, 0x76);

// The balloon's window. It belongs to the target's top-level window, so it
// stays above that window and goes away with it.
class BalloonWindow : public QWidget {
public:
    explicit BalloonWindow(QWidget* owner)
        : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_ShowWithoutActivating);
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { dismiss(); });
        // An effect rather than the window's opacity: every platform can
        // paint it, including the headless one.
        opacity_ = new QGraphicsOpacityEffect(this);
        setGraphicsEffect(opacity_);
        fade_.setTargetObject(opacity_);
        fade_.setPropertyName("opacity");
        fade_.setDuration(kFadeMsec);
        fade_.setStartValue(0.0);
        fade_.setEndValue(1.0);
        QObject::connect(&fade_, &QPropertyAnimation::finished, this, [this] { opacity_->setEnabled(false); });
    }

    void present(QWidget* target, const QString& title, const QString& text, int msec, const QIcon& icon) {
        target_ = target;
        title_ = title;
        text_ = text;
        icon_ = icon.isNull() ? style()->standardIcon(QStyle::SP_MessageBoxCritical) : icon;
        layOut();
        if (!filtering_) {
            qApp->installEventFilter(this);
            filtering_ = true;
        }
        fade_.stop();
        opacity_->setEnabled(true);
        opacity_->setOpacity(0.0);
        QWidget::show();
        fade_.start();
        timer_.start(qMax(0, msec));
    }

    void dismiss() {
        timer_.stop();
        fade_.stop();
        if (filtering_) {
            qApp->removeEventFilter(this);
            filtering_ = false;
        }
        hide();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::NonClientAreaMouseButtonPress:
            dismiss();
            break;
        case QEvent::Move:
        case QEvent::Hide:
            // The balloon would point at nothing once its control moves away.
            if (target_ && (watched == target_ || watched == target_->window())) dismiss();
            break;
        default:
            break;
        }
        return false;
    }

    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF body = bodyRect();
        QPainterPath path;
        path.addRoundedRect(body.adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
        QPolygonF tail;
        if (tailUp_)
            tail << QPointF(tailX_, body.top() + 1) << QPointF(tailTipX_, 0.5)
                 << QPointF(tailX_ + kTailWidth, body.top() + 1);
        else
            tail << QPointF(tailX_, body.bottom() - 1) << QPointF(tailTipX_, height() - 0.5)
                 << QPointF(tailX_ + kTailWidth, body.bottom() - 1);
        QPainterPath tailPath;
        tailPath.addPolygon(tail);
        tailPath.closeSubpath();
        path = path.united(tailPath);
        p.fillPath(path, kFill);
        p.setPen(QPen(kBorder, 1));
        p.drawPath(path);

        const QRect inner = bodyRect().adjusted(kMargin, kMargin, -kMargin, -kMargin);
        icon_.paint(&p, QRect(inner.left(), inner.top(), kIconSize, kIconSize));
        p.setPen(Qt::black);
        p.setFont(titleFont());
        p.drawText(titleRect_, Qt::AlignLeft | Qt::AlignVCenter, title_);
        p.setFont(font());
        p.drawText(textRect_, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text_);
    }

    void mousePressEvent(QMouseEvent*) override { dismiss(); }

private:
    QFont titleFont() const {
        QFont f = font();
        f.setBold(true);
        return f;
    }

    QRect bodyRect() const {
        return tailUp_ ? QRect(0, kTailHeight, width(), height() - kTailHeight)
                       : QRect(0, 0, width(), height() - kTailHeight);
    }

    // Sizes the balloon for its texts and places it below the control, or
    // above it when there is no room below, inside the control's screen.
    void layOut() {
        const QFontMetrics titleMetrics(titleFont());
        const QFontMetrics textMetrics(font());
        const int maxInner = kPreferredWidth - 2 * kMargin;
        const int titleWidth = kIconSize + 8 + titleMetrics.horizontalAdvance(title_);
        const QRect natural = textMetrics.boundingRect(QRect(0, 0, maxInner, 10000), Qt::TextWordWrap, text_);
        const int inner = qMin(maxInner, qMax(titleWidth, natural.width()));
        const QRect textBounds = textMetrics.boundingRect(QRect(0, 0, inner, 10000), Qt::TextWordWrap, text_);
        const int headerHeight = qMax(kIconSize, titleMetrics.height());
        const int bodyWidth = qMax(inner, 2 * kTailInset + kTailWidth) + 2 * kMargin;
        const int bodyHeight = headerHeight + 6 + textBounds.height() + 2 * kMargin;
        resize(bodyWidth, bodyHeight + kTailHeight);

        // The point the tail touches, in global coordinates: near the
        // bottom edge of the control, or near its top edge when above it.
        QPoint anchor;
        QRect screenRect(0, 0, 1 << 20, 1 << 20);
        if (target_) {
            const int x = qMin(target_->width() / 2, 40);
            anchor = target_->mapToGlobal(QPoint(x, target_->height() - 3));
            if (QScreen* screen = target_->screen()) screenRect = screen->availableGeometry();
        }
        tailUp_ = anchor.y() + height() <= screenRect.bottom() + 1;
        if (!tailUp_) anchor = target_->mapToGlobal(QPoint(qMin(target_->width() / 2, 40), 3));
        int left = anchor.x() - kTailInset - kTailWidth / 2;
        left = qBound(screenRect.left(), left, qMax(screenRect.left(), screenRect.right() + 1 - width()));
        const int top = tailUp_ ? anchor.y() : anchor.y() - height();
        move(left, top);
        tailTipX_ = qBound(kMargin, anchor.x() - left, width() - kMargin);
        tailX_ = qBound(6, tailTipX_ - kTailWidth / 2, width() - 6 - kTailWidth);

        const QRect innerRect = bodyRect().adjusted(kMargin, kMargin, -kMargin, -kMargin);
        titleRect_ = QRect(innerRect.left() + kIconSize + 8, innerRect.top(), innerRect.width() - kIconSize - 8,
                           headerHeight);
        textRect_ = QRect(innerRect.left(), innerRect.top() + headerHeight + 6, innerRect.width(),
                          textBounds.height());
        update();
    }

    QPointer<QWidget> target_;
    QString title_;
    QString text_;
    QIcon icon_;
    QTimer timer_;
    QGraphicsOpacityEffect* opacity_;
    QPropertyAnimation fade_;
    bool filtering_ = false;
    bool tailUp_ = true;
    int tailX_ = 0;
    int tailTipX_ = 0;
    QRect titleRect_;
    QRect textRect_;
};

QPointer<BalloonWindow>& balloon() {
    static QPointer<BalloonWindow> instance;
    return instance;
}

BalloonHint::Shown& last() {
    static BalloonHint::Shown shown;
    return shown;
}

}  // namespace

void BalloonHint::show(QWidget* target, const QString& title, const QString& text, int msec, const QIcon& icon) {
    last() = Shown{title, text, target, msec};
    QWidget* owner = target ? target->window() : nullptr;
    QPointer<BalloonWindow>& b = balloon();
    if (b && b->parentWidget() != owner) {
        b->dismiss();
        b->deleteLater();
        b = nullptr;
    }
    if (!b) b = new BalloonWindow(owner);
    b->present(target, title, text, msec, icon);
}

void BalloonHint::hide() {
    if (balloon()) balloon()->dismiss();
}

bool BalloonHint::isShown() { return balloon() && balloon()->isVisible(); }

BalloonHint::Shown BalloonHint::lastShown() { return last(); }

QWidget* BalloonHint::window() { return balloon(); }

}  // namespace ui
