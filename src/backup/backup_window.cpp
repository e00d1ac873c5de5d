#include "backup/backup_window.h"

#include <exception>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "app/constants.h"
#include "app/message_dialog.h"
#include "app/pictures.h"
#include "app/progress_window.h"
#include "app/startup_window.h"
#include "backup/archive.h"
#include "backup/archive_error.h"
#include "backup/archive_writer.h"
#include "data/progress.h"
#include "platform/data_dir_lock.h"
#include "platform/dialogs.h"
#include "ui/gradient_panel.h"
#include "ui/header_band.h"
#include "ui/picture_button.h"

namespace {

const QString kFilter = QStringLiteral("Arhiva terralog (*.tlg)");
const QString kExtension = QStringLiteral("tlg");

ui::PictureButton* bigButton(const QString& picture, const QString& caption, const QString& hint, QWidget* parent) {
    auto* b = new ui::PictureButton(pictureIcon(picture), caption, parent);
    b->setFixedSize(170, 84);
    b->setPictureSize(40);
    b->setToolTip(hint);
    b->setToolTipDuration(kHintHidePause);
    return b;
}

// A name typed without an extension gets ".tlg"; a file chosen as it is keeps its name.
QString withExtension(const QString& path) {
    const QFileInfo info(path);
    return info.suffix().isEmpty() && !info.isFile() ? path + QLatin1Char('.') + kExtension : path;
}

QString errorText(const std::exception& e) { return QString::fromUtf8(e.what()); }

}  // namespace

// The bar of the progress window, repainted at every step.
class TForm21::ContorProgress : public data::Progress {
public:
    explicit ContorProgress(QProgressBar* bar) : bar_(bar) {}
    int maximum() const override { return bar_->maximum(); }
    void setMaximum(int maximum) override { bar_->setMaximum(maximum); }
    int position() const override { return bar_->value(); }
    void setPosition(int position) override {
        bar_->setValue(position);
        QApplication::processEvents();
    }

private:
    QProgressBar* bar_;
};

TForm21::TForm21(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      EndProgram([] { QCoreApplication::quit(); }) {
    setObjectName(QStringLiteral("Form21"));
    setWindowTitle(QStringLiteral("Salvare - Restaurare"));
    setWindowIcon(applicationIcon());
    setFixedSize(kWidth, kHeight);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    auto* header = new ui::HeaderBand(QStringLiteral("Salvare si restaurare date"), this);
    header->setColors(QColor(0x365F9C), QColor(0x81A2D3));
    header->setCaptionColor(Qt::white);
    header->setIcon(pictureIcon(QStringLiteral("menu-backup")), 32);
    header->setFixedHeight(49);
    root->addWidget(header);

    auto* body = new ui::GradientPanel(Qt::white, QColor(0xE1E0E1), Qt::Vertical, this);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(20, 14, 20, 10);
    column->setSpacing(8);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(20);
    BE1 = bigButton(QStringLiteral("backup-save"), QStringLiteral("Salveaza baza de date"),
                    QStringLiteral("Salveaza toate datele intr-o arhiva."), body);
    BE1->setObjectName(QStringLiteral("BE1"));
    LbSpeedButton1 = bigButton(QStringLiteral("backup-restore"), QStringLiteral("Restaureaza baza de date"),
                               QStringLiteral("Inlocuieste datele cu cele dintr-o arhiva salvata."), body);
    LbSpeedButton1->setObjectName(QStringLiteral("LbSpeedButton1"));
    buttons->addStretch();
    buttons->addWidget(BE1);
    buttons->addWidget(LbSpeedButton1);
    buttons->addStretch();
    column->addLayout(buttons);
    column->addStretch();
    auto* hint = new QLabel(QStringLiteral("ESC - Inchidere"), body);
    hint->setStyleSheet(QStringLiteral("color: #555555; background: transparent;"));
    column->addWidget(hint);
    root->addWidget(body, 1);

    connect(BE1, &QAbstractButton::clicked, this, &TForm21::BitBtn1Click);
    connect(LbSpeedButton1, &QAbstractButton::clicked, this, &TForm21::BitBtn2Click);
}

void TForm21::OpenBackup() { exec(); }

bool TForm21::FormKeyDown(int key) {
    if (key != Qt::Key_Escape) return false;
    close();
    return true;
}

void TForm21::keyPressEvent(QKeyEvent* event) {
    if (FormKeyDown(event->key())) return;
    QDialog::keyPressEvent(event);
}

void TForm21::ListFileDir(const QString& dir) {
    FileList = backup::listDataFiles(dir + QStringLiteral("/Data"));
}

void TForm21::CompressFiles(const QString& archive) {
    ContorProgress progress(TContor::instance().Bar);
    backup::Archive(archive).write(FileList, &progress);
}

void TForm21::DecompressFiles(const QString& archive, const QString& dir) {
    const platform::DataDirLock& lock = TForm1::instance().dataDirLock();
    if (!lock.holds(dir + QStringLiteral("/Data")))
        throw backup::ArchiveError(QStringLiteral("Directorul de date %1 nu este rezervat acestui program.")
                                       .arg(QDir::toNativeSeparators(dir + QStringLiteral("/Data"))));
    ContorProgress progress(TContor::instance().Bar);
    backup::Archive(archive).restore(lock, &progress);
}

// The window disabled under the progress window while `work` runs, and given
// back and closed however it ends; the error, if any, goes on.
void TForm21::runWithProgress(const QString& caption, const std::function<void()>& work) {
    TContor& contor = TContor::instance();
    contor.Descr->setText(caption);
    contor.Bar->setMaximum(100);
    contor.Bar->setValue(0);
    contor.Arata(this);
    QApplication::processEvents();
    std::exception_ptr failure;
    try {
        work();
    } catch (...) {
        failure = std::current_exception();
    }
    contor.Distruge(this);
    close();
    QApplication::processEvents();
    if (failure) std::rethrow_exception(failure);
}

void TForm21::BitBtn1Click() {
    const std::optional<QString> chosen =
        platform::askSaveFileName(this, QStringLiteral("Unde salvam arhiva ?"), kFilter, kExtension, QString(),
                                  platform::ReplaceQuestion::AskedByProgram);
    if (!chosen) return;
    const QString path = QDir::toNativeSeparators(QFileInfo(withExtension(*chosen)).absoluteFilePath());
    if (QFileInfo::exists(path) &&
        Mesaj(QStringLiteral("Atentionare"), QStringLiteral("Vreti sa inlocuiti salvarea ") + path + QStringLiteral("?"),
              mkWarning, mbDa + mbNu) != mrDa)
        return;
    try {
        ListFileDir(TForm1::instance().AppDir());
    } catch (const std::exception& e) {
        platform::showErrorBox(errorText(e));
        return;
    }
    if (FileList.isEmpty()) {
        Mesaj(QStringLiteral("Informatie"),
              QStringLiteral("Directorul de date nu contine nici un fisier cu date: nu am scris nici o arhiva."),
              mkInformation, mbOk);
        return;
    }
    try {
        runWithProgress(QStringLiteral("Salvez starea actuala..."), [&] { CompressFiles(path); });
    } catch (const std::exception& e) {
        platform::showErrorBox(errorText(e));
        return;
    }
    Mesaj(QStringLiteral("Informatie"), QStringLiteral("Salvare incheiata cu succes !"), mkInformation, mbOk);
}

void TForm21::BitBtn2Click() {
    const std::optional<QString> chosen =
        platform::askOpenFileName(this, QStringLiteral("Indicati salvarea precedenta Terralog"), kFilter, kExtension);
    if (!chosen) return;
    const QString path = QDir::toNativeSeparators(QFileInfo(withExtension(*chosen)).absoluteFilePath());
    if (!QFileInfo::exists(path)) {
        Mesaj(QStringLiteral("Eroare"), QStringLiteral("Salvarea ") + path + QStringLiteral(" nu exista !"), mkError, mbOk);
        return;
    }
    try {
        runWithProgress(QStringLiteral("Restaurez baza de date..."),
                        [&] { DecompressFiles(path, TForm1::instance().AppDir()); });
        Mesaj(QStringLiteral("Informatie"),
              QStringLiteral("Restaurare incheiata cu succes !\r\nVa rog sa porniti programul din nou !"), mkInformation,
              mbOk);
    } catch (const backup::ArchiveError& e) {
        platform::showErrorBox(errorText(e) + QStringLiteral("\nDatele nu au fost schimbate."));
    } catch (const std::exception& e) {
        platform::showErrorBox(errorText(e));
    }
    EndProgram();
}
