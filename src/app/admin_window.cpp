#include "app/admin_window.h"

#include <memory>

#include <QApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/codeaza_str.h"
#include "app/constants.h"
#include "app/message_dialog.h"
#include "app/pictures.h"
#include "app/startup_window.h"
#include "ui/header_band.h"

namespace {

std::unique_ptr<TForm4> ownedInstance;

QLineEdit* passwordEdit(const QString& name, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setEchoMode(QLineEdit::Password);
    e->setMaxLength(32);
    return e;
}

QPushButton* button(const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    // Enter never presses a button by itself here; the edits route it.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

}  // namespace

TForm4* TForm4::instance_ = nullptr;

TForm4::TForm4(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowMaximizeButtonHint) {
    instance_ = this;
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Administrator program"));
    setWindowIcon(applicationIcon());
    resize(342, 324);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 10);
    root->setSpacing(10);

    auto* header = new ui::HeaderBand(QStringLiteral("SETARI"), this);
    header->setColors(QColor(0x365F9C), QColor(0x81A2D3));
    header->setCaptionColor(Qt::white);
    header->setIcon(pictureIcon(QStringLiteral("admin")), 32);
    header->setFixedHeight(49);
    root->addWidget(header);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(12, 0, 12, 0);
    body->setSpacing(10);
    root->addLayout(body);

    passwordGroup_ = new QGroupBox(QStringLiteral(" Schimbare parola  "), this);
    passwordGroup_->setToolTip(QStringLiteral("Schimbarea parolei administrator."));
    passwordGroup_->setToolTipDuration(kHintHidePause);
    auto* form = new QFormLayout(passwordGroup_);
    newPassword_ = passwordEdit(QStringLiteral("ParolaNoua"), passwordGroup_);
    repeatPassword_ = passwordEdit(QStringLiteral("IncaOdata"), passwordGroup_);
    form->addRow(QStringLiteral("Parola noua"), newPassword_);
    form->addRow(QStringLiteral("Inca odata"), repeatPassword_);
    changePassword_ = button(QStringLiteral("&Schimba parola"), passwordGroup_);
    auto* changeRow = new QHBoxLayout;
    changeRow->addStretch();
    changeRow->addWidget(changePassword_);
    form->addRow(changeRow);
    body->addWidget(passwordGroup_);

    auto* officeLabel = new QLabel(QStringLiteral("Denumire unitate"), this);
    officeName_ = new QLineEdit(this);
    officeName_->setObjectName(QStringLiteral("DenumireUnitate"));
    officeLabel->setBuddy(officeName_);
    body->addWidget(officeLabel);
    body->addWidget(officeName_);
    body->addStretch();

    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(12, 0, 12, 0);
    bottom->addStretch();
    save_ = button(QStringLiteral("Salveaza si inchide"), this);
    cancel_ = button(QStringLiteral("Renunt"), this);
    bottom->addWidget(save_);
    bottom->addWidget(cancel_);
    root->addLayout(bottom);

    newPassword_->installEventFilter(this);
    repeatPassword_->installEventFilter(this);
    connect(changePassword_, &QPushButton::clicked, this, &TForm4::SchimbaParolaClick);
    connect(save_, &QPushButton::clicked, this, &TForm4::SalveazaClick);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

TForm4::~TForm4() {
    if (instance_ == this) instance_ = nullptr;
}

TForm4& TForm4::instance() {
    if (!instance_) ownedInstance = std::make_unique<TForm4>();
    return *instance_;
}

void TForm4::IncarcaConstante() {
    officeName_->setText(TForm1::instance().store().ReadSetting(QStringLiteral("SETARI"), QStringLiteral("PRIMARIA")));
}

void TForm4::SchimbaParolaClick() {
    const QString typed = newPassword_->text();
    if (typed != repeatPassword_->text()) {
        Mesaj(QStringLiteral("Eroare la completare"), QStringLiteral("Nu ati scris parola noua la fel in cele doua casute !"),
              mkError, mbOk);
        QApplication::beep();
        return;
    }
    data::DataStore& store = TForm1::instance().store();
    if (!typed.isEmpty()) {
        store.WriteRegistryValue(QStringLiteral("Erori"), CodeazaStr(typed));
        Mesaj(QStringLiteral("Confirmare"), QStringLiteral("Parola a fost schimbata cu succes!"), mkInformation, mbOk);
        newPassword_->clear();
        repeatPassword_->clear();
        return;
    }
    if (Mesaj(QStringLiteral("Eroare la completare"),
              QStringLiteral("ATENTIE !\r\nDoriti sa dezactivati parola de administrator?"), mkWarning,
              mbDa + mbNu) == mrDa)
        store.WriteRegistryValue(QStringLiteral("Erori"), QString());
}

void TForm4::SalveazaClick() {
    TForm1::instance().store().WriteSetting(QStringLiteral("SETARI"), QStringLiteral("PRIMARIA"), officeName_->text());
    accept();
}

void TForm4::done(int result) {
    QDialog::done(result);
    // However the window closes, an unsaved office name gives way to the stored one.
    IncarcaConstante();
}

bool TForm4::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == newPassword_) {
                repeatPassword_->setFocus();
                return true;
            }
            if (watched == repeatPassword_) {
                changePassword_->click();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
