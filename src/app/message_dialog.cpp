#include "app/message_dialog.h"

#include <cmath>
#include <memory>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QScreen>

#include "app/pictures.h"
#include "platform/interaction.h"
#include "ui/gradient_panel.h"

namespace {

struct KindLook {
    const char* caption;
    const char* icon;
    QRgb bandFrom;
    QRgb bandTo;
    ui::ButtonColors buttons;
};

ui::ButtonColors colors(QRgb face, QRgb pressed, QRgb hot, QRgb light, QRgb shadow) {
    return {QColor(face), QColor(pressed), QColor(hot), QColor(light), QColor(shadow)};
}

const KindLook& lookOf(unsigned kind) {
    static const KindLook looks[] = {
        {"Atentie !", "message-warning", 0xB7B18A, 0x383623, colors(0x2C291B, 0x070705, 0x737753, 0xDEDFD2, 0x000000)},
        {"Eroare", "message-error", 0xFFD5D5, 0xFF0000, colors(0xFF0000, 0xA60000, 0xFF9B9B, 0xFFD9D9, 0xFFFFFF)},
        {"Informatie", "message-information", 0xE1DEFA, 0x0000BB, colors(0x0000FF, 0x000093, 0x9D9DFF, 0xDFDFFF, 0xFFFFFF)},
        {"Confirmare", "message-confirmation", 0x81A2D3, 0x365F9C, colors(0x3966A8, 0x000093, 0x7196CE, 0xECF1F9, 0x000000)},
    };
    return looks[kind <= mkConfirmation ? kind : mkError];
}

struct ButtonSpec {
    unsigned bit;
    const char* caption;
    int result;
};
// Left to right, whichever are shown.
const ButtonSpec kButtons[4] = {{mbDa, "DA", mrDa}, {mbNu, "NU", mrNu}, {mbRenunt, "RENUNT", mrRenunt}, {mbOk, "OK", mrOk}};

// Line breaks of the messages are written as CR LF, or a lone CR.
QString displayText(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

std::unique_ptr<TErori> ownedInstance;

}  // namespace

TErori* TErori::instance_ = nullptr;

TErori::TErori(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint) {
    instance_ = this;
    setObjectName(QStringLiteral("Erori"));
    setModal(true);

    topBand_ = new ui::GradientPanel(this);
    icon_ = new QLabel(topBand_);
    icon_->setGeometry(10, (kTopBandHeight - 32) / 2, 32, 32);
    heading_ = new QLabel(topBand_);
    QFont headingFont(QStringLiteral("Arial"));
    headingFont.setPointSize(11);
    headingFont.setBold(true);
    heading_->setFont(headingFont);
    heading_->setStyleSheet(QStringLiteral("color: white; background: transparent;"));

    textArea_ = new ui::GradientPanel(QColor(0xFFFFFF), QColor(0xE1E0E1), Qt::Vertical, this);
    text_ = new QLabel(textArea_);
    text_->setAlignment(Qt::AlignCenter);
    text_->setWordWrap(true);
    text_->setTextFormat(Qt::PlainText);
    QFont textFont = text_->font();
    textFont.setPointSize(10);
    text_->setFont(textFont);

    list_ = new QListWidget(textArea_);
    list_->setObjectName(QStringLiteral("ListBox"));
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setFocusPolicy(Qt::NoFocus);
    list_->setAlternatingRowColors(true);
    list_->setWordWrap(true);
    list_->hide();

    bottomBand_ = new ui::GradientPanel(this);
    for (int i = 0; i < 4; ++i) {
        auto* b = new ui::ColorButton(QString::fromLatin1(kButtons[i].caption), bottomBand_);
        b->resize(kButtonWidth, kButtonHeight);
        const int result = kButtons[i].result;
        connect(b, &QAbstractButton::clicked, this, [this, result] { press(result); });
        buttons_[size_t(i)] = b;
    }
    layOut(false);
}

TErori::~TErori() {
    if (instance_ == this) instance_ = nullptr;
}

TErori& TErori::instance() {
    if (!instance_) ownedInstance = std::make_unique<TErori>();
    return *instance_;
}

QString TErori::captionOf(unsigned kind) { return QString::fromLatin1(lookOf(kind).caption); }

void TErori::layOut(bool withList) {
    const int width = withList ? kListWidth : kClientWidth;
    const int height = withList ? kListHeight : kClientHeight;
    setFixedSize(width, height);
    const int middle = height - kTopBandHeight - kBottomBandHeight;
    topBand_->setGeometry(0, 0, width, kTopBandHeight);
    heading_->setGeometry(52, 0, width - 60, kTopBandHeight);
    textArea_->setGeometry(0, kTopBandHeight, width, middle);
    if (withList) {
        // The text over the list, the list taking the rest.
        const int textHeight = 48;
        text_->setGeometry(8, 4, width - 16, textHeight);
        list_->setGeometry(8, 4 + textHeight + 4, width - 16, middle - textHeight - 16);
    } else {
        text_->setGeometry(8, (kTextAreaHeight - 73) / 2, 329, 73);
    }
    list_->setVisible(withList);
    bottomBand_->setGeometry(0, height - kBottomBandHeight, width, kBottomBandHeight);
}

int TErori::prepare(const QString& heading, const QString& text, unsigned kind, unsigned buttons,
                    const QStringList& lines) {
    layOut(!lines.isEmpty());
    heading_->setText(heading);
    text_->setText(displayText(text));
    list_->clear();
    list_->addItems(lines);

    const KindLook& look = lookOf(kind);
    icon_->setPixmap(picture(QString::fromLatin1(look.icon)));
    setWindowTitle(QString::fromLatin1(look.caption));
    topBand_->setColors(QColor(look.bandFrom), QColor(look.bandTo));
    bottomBand_->setColors(topBand_->startColor(), topBand_->endColor());

    int visible = 0;
    for (int i = 0; i < 4; ++i) {
        buttons_[size_t(i)]->setColors(look.buttons);
        const bool shown = (buttons & kButtons[i].bit) != 0;
        buttons_[size_t(i)]->setVisible(shown);
        if (shown) ++visible;
    }
    if (visible == 0) return 0;

    // Equal gaps around the buttons; a half rounds to the even neighbour.
    const int span = width() - 3;
    const int gap = int(std::nearbyint(double(span - kButtonWidth * visible) / double(visible + 1)));
    int k = 0;
    for (int i = 0; i < 4; ++i) {
        if (!(buttons & kButtons[i].bit)) continue;
        ++k;
        buttons_[size_t(i)]->move(k * (gap + kButtonWidth) - kButtonWidth, kButtonTop);
    }
    return visible;
}

int TErori::Mesaj(const QString& heading, const QString& text, unsigned kind, unsigned buttons,
                  const QStringList& lines) {
    pending_ = mrRenunt;
    if (prepare(heading, text, kind, buttons, lines) == 0) return mrRenunt;

    if (platform::Interaction::scripted()) {
        platform::DialogRequest request;
        request.kind = platform::DialogKind::Message;
        request.caption = windowTitle();
        request.heading = heading;
        request.text = lines.isEmpty() ? text : text + QLatin1Char('\r') + lines.join(QLatin1Char('\r'));
        request.messageKind = int(kind);
        request.buttons = int(buttons);
        const int result = platform::Interaction::answer(request).result;
        bool possible = result == mrRenunt;  // Escape answers any message
        for (const ButtonSpec& b : kButtons) possible = possible || ((buttons & b.bit) && b.result == result);
        if (!possible)
            platform::Interaction::reject(QStringLiteral("message \"%1\" has no button answering %2").arg(heading).arg(result));
        return result;
    }

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    exec();
    return pending_;
}

void TErori::press(int result) {
    pending_ = result;
    accept();
}

void TErori::keyPressEvent(QKeyEvent* event) {
    // The answer by keyboard is Escape alone.
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    event->ignore();
}

int Mesaj(const QString& heading, const QString& text, unsigned kind, unsigned buttons) {
    return TErori::instance().Mesaj(heading, text, kind, buttons);
}

int MesajList(const QString& heading, const QString& text, const QStringList& lines, unsigned kind, unsigned buttons) {
    return TErori::instance().Mesaj(heading, text, kind, buttons, lines);
}
