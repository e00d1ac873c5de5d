#include "app/about_window.h"

#include <memory>

#include <QLabel>

#include "app/constants.h"
#include "app/version.h"
#include "app/pictures.h"
#include "ui/color_button.h"
#include "ui/gradient_panel.h"

namespace {

std::unique_ptr<TForm2> ownedInstance;

constexpr int kWidth = 440;
constexpr int kHeight = 250;

}  // namespace

TForm2* TForm2::instance_ = nullptr;

TForm2::TForm2(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint) {
    instance_ = this;
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Despre program"));
    setFixedSize(kWidth, kHeight);

    auto* back = new ui::GradientPanel(QColor(0x4A6FA5), QColor(0x14284B), Qt::Vertical, this);
    back->setGeometry(0, 0, kWidth, kHeight);

    auto* icon = new QLabel(back);
    icon->setPixmap(picture(QStringLiteral("terralog-96")));
    icon->setGeometry(24, 30, 96, 96);

    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPixelSize(34);
    titleFont.setBold(true);
    const QRect titleRect(136, 40, kWidth - 150, 44);
    // The shadow first, two pixels down and right, so the title covers it.
    Label2 = new QLabel(VersionCaption, back);
    Label2->setFont(titleFont);
    Label2->setGeometry(titleRect.translated(2, 2));
    Label2->setStyleSheet(QStringLiteral("color: #5A5A5A; background: transparent;"));
    Label1 = new QLabel(VersionCaption, back);
    Label1->setFont(titleFont);
    Label1->setGeometry(titleRect);
    Label1->setStyleSheet(QStringLiteral("color: white; background: transparent;"));

    auto* line = new QLabel(QStringLiteral("Program pentru evidenta titlurilor de proprietate si anexelor."), back);
    line->setWordWrap(true);
    line->setGeometry(136, 92, kWidth - 150, 44);
    QFont lineFont = line->font();
    lineFont.setPointSize(10);
    line->setFont(lineFont);
    line->setStyleSheet(QStringLiteral("color: #E8EEF7; background: transparent;"));

    Version = new QLabel(QStringLiteral("Versiunea %1").arg(programVersion()), back);
    Version->setGeometry(136, 136, kWidth - 150, 18);
    Version->setFont(lineFont);
    Version->setStyleSheet(QStringLiteral("color: #E8EEF7; background: transparent;"));

    auto* separator = new QWidget(back);
    separator->setGeometry(24, 160, kWidth - 48, 1);
    separator->setStyleSheet(QStringLiteral("background: rgba(255,255,255,90);"));

    continue_ = new ui::ColorButton(QStringLiteral("CONTINUARE"), back);
    continue_->setColors({QColor(0x3966A8), QColor(0x000093), QColor(0x7196CE), QColor(0xECF1F9), QColor(0x0A1A33)});
    continue_->setGeometry((kWidth - 120) / 2, 190, 120, 30);
    connect(continue_, &QAbstractButton::clicked, this, &QDialog::accept);
}

TForm2::~TForm2() {
    if (instance_ == this) instance_ = nullptr;
}

TForm2& TForm2::instance() {
    if (!instance_) ownedInstance = std::make_unique<TForm2>();
    return *instance_;
}
