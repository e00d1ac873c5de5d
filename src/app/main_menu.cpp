#include "app/main_menu.h"

#include <memory>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QVBoxLayout>

#include "app/about_window.h"
#include "app/admin_window.h"
#include "app/codeaza_str.h"
#include "app/constants.h"
#include "app/message_dialog.h"
#include "app/password_prompt.h"
#include "app/pictures.h"
#include "app/startup_window.h"
#include "ui/gradient_panel.h"
#include "ui/picture_button.h"

namespace {

std::unique_ptr<TForm3> ownedInstance;

constexpr int kBandHeight = 77;

ui::PictureButton* menuButton(const QString& picture, const QString& caption, const QString& hint, int width,
                              QWidget* parent) {
    auto* b = new ui::PictureButton(pictureIcon(picture), caption, parent);
    b->setFixedSize(width, kBandHeight);
    b->setPictureSize(40);
    b->setToolTip(hint);
    b->setToolTipDuration(kHintHidePause);
    return b;
}

// Until a feature's window exists its entry says so and does nothing else.
void runOrTellUnavailable(const std::function<void()>& action, const QString& what) {
    if (action) {
        action();
        return;
    }
    Mesaj(what, QStringLiteral("Aceasta functie nu este inca disponibila."), mkInformation, mbOk);
}

}  // namespace

TForm3* TForm3::instance_ = nullptr;

TForm3::TForm3(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
    instance_ = this;
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(VersionCaption);
    setWindowIcon(applicationIcon());
    setFixedHeight(kClientHeight);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    auto* band = new ui::GradientPanel(QColor(0xE4ECF6), QColor(0x1D3557), Qt::Horizontal, this);
    band->setFixedHeight(kBandHeight);
    QPalette bandPalette = band->palette();
    bandPalette.setColor(QPalette::ButtonText, QColor(0x10213A));
    bandPalette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x8A97AA));
    band->setPalette(bandPalette);
    auto* row = new QHBoxLayout(band);
    row->setContentsMargins(0, 0, 16, 0);
    row->setSpacing(0);

    AnexeB = menuButton(QStringLiteral("menu-titles"), QStringLiteral("Anexe si Titluri"),
                        QStringLiteral("Titluri de proprietate. Gestionare."), 89, band);
    RapoarteB = menuButton(QStringLiteral("menu-reports"), QStringLiteral("Rapoarte"), QStringLiteral("Diverse rapoarte."),
                           90, band);
    AdministrareB = menuButton(QStringLiteral("menu-admin-locked"), QStringLiteral("Administrare"),
                               QStringLiteral("Administrare program."), 90, band);
    AdministrareB->setAlternatePicture(pictureIcon(QStringLiteral("menu-admin-unlocked")));
    SalvareB = menuButton(QStringLiteral("menu-backup"), QStringLiteral("Salvare"),
                          QStringLiteral("Salvare sau restaurare date."), 90, band);
    DespreB = menuButton(QStringLiteral("menu-about"), QStringLiteral("Despre..."), QStringLiteral("Date despre program."),
                         90, band);
    IesireB = menuButton(QStringLiteral("menu-exit"), QStringLiteral("Iesire"), QStringLiteral("Inchide programul."), 90,
                         band);
    for (ui::PictureButton* b : {AnexeB, RapoarteB, AdministrareB, SalvareB, DespreB, IesireB}) {
        row->addWidget(b);
        b->installEventFilter(this);
    }
    AnexeB->setEnabled(false);
    RapoarteB->setEnabled(false);
    SalvareB->setEnabled(false);
    row->addStretch();

    DataLab = new QLabel(band);
    DataLab->setObjectName(QStringLiteral("DataLab"));
    QFont dateFont(QStringLiteral("Arial"));
    dateFont.setPixelSize(30);
    dateFont.setBold(true);
    DataLab->setFont(dateFont);
    DataLab->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    row->addWidget(DataLab);
    root->addWidget(band);

    StatusLab = new QLabel(QStringLiteral("ESC - Iesire din program"), this);
    StatusLab->setObjectName(QStringLiteral("StatusBar1"));
    StatusLab->setContentsMargins(6, 0, 6, 0);
    StatusLab->setFixedHeight(kClientHeight - kBandHeight);
    StatusLab->setStyleSheet(QStringLiteral("background: #ECEFF3; color: #1D2B40; border-top: 1px solid #B8C2D0;"));
    root->addWidget(StatusLab);

    reports_ = new QMenu(this);
    generalReport_ = reports_->addAction(QStringLiteral("Raport general"));
    parcelReport_ = reports_->addAction(QStringLiteral("Raport pe parcela"));
    connect(generalReport_, &QAction::triggered, this,
            [this] { runOrTellUnavailable(OpenGeneralReport, QStringLiteral("Raport general")); });
    connect(parcelReport_, &QAction::triggered, this,
            [this] { runOrTellUnavailable(OpenParcelReport, QStringLiteral("Raport pe parcela")); });

    connect(AnexeB, &QAbstractButton::clicked, this, &TForm3::AnexeClick);
    connect(RapoarteB, &QAbstractButton::clicked, this, &TForm3::RapoarteClick);
    connect(AdministrareB, &QAbstractButton::clicked, this, &TForm3::AdministrareClick);
    connect(SalvareB, &QAbstractButton::clicked, this, &TForm3::SalvareClick);
    connect(DespreB, &QAbstractButton::clicked, this, &TForm3::DespreClick);
    connect(IesireB, &QAbstractButton::clicked, this, &QWidget::close);
}

TForm3::~TForm3() {
    if (instance_ == this) instance_ = nullptr;
}

TForm3& TForm3::instance() {
    if (!instance_) ownedInstance = std::make_unique<TForm3>();
    return *instance_;
}

void TForm3::AnexeClick() { runOrTellUnavailable(ShowTitlesForm, QStringLiteral("Anexe si Titluri")); }

void TForm3::RapoarteClick() { reports_->popup(RapoarteB->mapToGlobal(QPoint(0, RapoarteB->height()))); }

void TForm3::AdministrareClick() {
    TForm1& form1 = TForm1::instance();
    data::DataStore& store = form1.store();
    const QString stored = store.ReadRegistryValue(QStringLiteral("Erori"));
    if (form1.AdminUnlocked) {
        TForm4::instance().exec();
        return;
    }
    if (!stored.isEmpty()) {
        QString typed;
        if (!InputQuery2(QStringLiteral("IDENTIFICARE ADMIN"), QStringLiteral("PAROLA :"), typed)) return;
        if (CodeazaStr(typed) != store.ReadRegistryValue(QStringLiteral("Erori"))) {
            Mesaj(QStringLiteral("Greseala!"), QStringLiteral("PAROLA INCORECTA !"), mkError, mbOk);
            return;
        }
    } else {
        Mesaj(QStringLiteral("Administrare"), QStringLiteral("        ATENTIE!\r\nNu aveti nici o parola!"), mkWarning, mbOk);
    }
    form1.AdminUnlocked = true;
    UnlockMenu();
}

void TForm3::SalvareClick() { runOrTellUnavailable(OpenBackup, QStringLiteral("Salvare")); }

void TForm3::DespreClick() { TForm2::instance().exec(); }

void TForm3::UnlockMenu() {
    AnexeB->setEnabled(true);
    RapoarteB->setEnabled(true);
    SalvareB->setEnabled(true);
    AdministrareB->setAlternateShown(true);
}

bool TForm3::FormKeyDown(int key) {
    switch (key) {
    case Qt::Key_Escape:
    case Qt::Key_F12:
        close();
        return true;
    case Qt::Key_F1:
        if (AnexeB->isEnabled()) AnexeClick();
        return true;
    case Qt::Key_F2:
        if (RapoarteB->isEnabled()) RapoarteClick();
        return true;
    default:
        return false;
    }
}

void TForm3::showWaitingForData(bool waiting) {
    if (waiting) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        StatusLab->setText(QStringLiteral("Datele sunt folosite de alt program; astept..."));
    } else {
        QApplication::restoreOverrideCursor();
        StatusLab->setText(QStringLiteral("ESC - Iesire din program"));
    }
    StatusLab->repaint();
}

void TForm3::showEvent(QShowEvent* event) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        setFixedWidth(area.width() - (frameGeometry().width() - width()));
        move(area.topLeft());
    }
    DataLab->setText(QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    QWidget::showEvent(event);
}

void TForm3::closeEvent(QCloseEvent* event) {
    event->accept();
    QCoreApplication::quit();
}

void TForm3::keyPressEvent(QKeyEvent* event) {
    if (!FormKeyDown(event->key())) QWidget::keyPressEvent(event);
}

bool TForm3::eventFilter(QObject* watched, QEvent* event) {
    // The window sees every key before its buttons.
    if (event->type() == QEvent::KeyPress && FormKeyDown(static_cast<QKeyEvent*>(event)->key())) return true;
    return QWidget::eventFilter(watched, event);
}
