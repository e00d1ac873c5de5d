#include "app/startup_window.h"

#include <chrono>
#include <exception>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

#include "app/about_window.h"
#include "app/admin_window.h"
#include "app/constants.h"
#include "app/formats.h"
#include "app/main_menu.h"
#include "app/message_dialog.h"
#include "app/pictures.h"
#include "engine/database.h"
#include "engine/folder_lock.h"
#include "platform/data_dir_replacement.h"
#include "platform/dialogs.h"
#include "platform/interaction.h"
#include "platform/program_folder.h"
#include "ui/balloon_hint.h"
#include "ui/color_button.h"
#include "ui/gradient_panel.h"

namespace {

constexpr int kWidth = 500;
constexpr int kHeight = 260;

QString errorText(const std::exception& e) { return QString::fromUtf8(e.what()); }

QString fileNameOf(const std::string& path) { return QFileInfo(QString::fromStdString(path)).fileName(); }

// What is wrong with a table: one sentence under the heading, or, for several
// (unreadable values), a line each in the dialog's list.
void showProblems(const engine::TableCondition& table, const QString& after) {
    const std::vector<std::string> problems = table.problems();
    const QString heading = QStringLiteral("Tabel deteriorat");
    if (problems.size() == 1) {
        Mesaj(heading, QString::fromStdString(problems.front()) + after, mkError, mbOk);
        return;
    }
    QStringList lines;
    for (const std::string& p : problems) lines.append(QString::fromStdString(p));
    const uint64_t count = table.faultCount + (table.sizeAgrees() ? 0 : 1);
    const QString text =
        QStringLiteral("Tabelul %1 este deteriorat (%2 probleme):").arg(fileNameOf(table.path)).arg(count);
    MesajList(heading, text + after, lines, mkError, mbOk);
}

// The question under "Reparati TPDET.DBF?": what the repair keeps and loses,
// the name the file as it is now is kept under, and what NU does.
QString repairQuestion(const engine::TableCondition& table, const QString& copyPath) {
    const uint64_t n = table.wholeRecords;
    QString text = n == 0   ? QStringLiteral("Nu ramane nicio inregistrare")
                   : n == 1 ? QStringLiteral("Ramane 1 inregistrare")
                            : QStringLiteral("Raman %1 inregistrari").arg(n);
    text += table.lostRecords() > 0 ? QStringLiteral(", se pierde cea taiata.")
                                    : QStringLiteral(", nu se pierde niciuna.");
    if (table.faultCount == 1) text += QStringLiteral("\r\n1 valoare ilizibila devine goala.");
    if (table.faultCount > 1) text += QStringLiteral("\r\n%1 valori ilizibile devin goale.").arg(table.faultCount);
    text += QStringLiteral("\r\nCopie: %1\r\nNU opreste programul fara schimbari.").arg(QFileInfo(copyPath).fileName());
    return text;
}

}  // namespace

// Bar1 as the data routines drive it.
class TForm1::BarProgress : public data::Progress {
public:
    explicit BarProgress(QProgressBar* bar) : bar_(bar) {}
    int maximum() const override { return bar_->maximum(); }
    void setMaximum(int maximum) override { bar_->setMaximum(maximum); }
    int position() const override { return bar_->value(); }
    void setPosition(int position) override { bar_->setValue(position); }

private:
    QProgressBar* bar_;
};

TForm1* TForm1::instance_ = nullptr;

TForm1::TForm1(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    instance_ = this;
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(ApplicationTitle);
    setWindowIcon(applicationIcon());
    setFixedSize(kWidth, kHeight);
    applyProcessFormats();

    auto* back = new ui::GradientPanel(QColor(0x4A6FA5), QColor(0x14284B), Qt::Vertical, this);
    back->setGeometry(0, 0, kWidth, kHeight);
    back->setStyleSheet(QStringLiteral("ui--GradientPanel { border: 1px solid #0B1628; }"));

    auto* icon = new QLabel(back);
    icon->setPixmap(picture(QStringLiteral("terralog-96")));
    icon->setGeometry(28, 40, 96, 96);

    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPixelSize(36);
    titleFont.setBold(true);
    const QRect titleRect(146, 44, kWidth - 160, 46);
    Label2 = new QLabel(VersionCaption, back);
    Label2->setFont(titleFont);
    Label2->setGeometry(titleRect.translated(2, 2));
    Label2->setStyleSheet(QStringLiteral("color: #4A4A4A; background: transparent;"));
    Label1 = new QLabel(VersionCaption, back);
    Label1->setFont(titleFont);
    Label1->setGeometry(titleRect);
    Label1->setStyleSheet(QStringLiteral("color: white; background: transparent;"));

    auto* subtitle = new QLabel(QStringLiteral("Evidenta titlurilor de proprietate si anexe"), back);
    subtitle->setGeometry(148, 96, kWidth - 160, 36);
    subtitle->setWordWrap(true);
    QFont subtitleFont = subtitle->font();
    subtitleFont.setPointSize(11);
    subtitle->setFont(subtitleFont);
    subtitle->setStyleSheet(QStringLiteral("color: #DCE6F4; background: transparent;"));

    StatusLab = new QLabel(QStringLiteral("Incarcare date"), back);
    StatusLab->setObjectName(QStringLiteral("StatusLab"));
    StatusLab->setGeometry(28, 176, kWidth - 56, 22);
    StatusLab->setStyleSheet(QStringLiteral("color: white; background: transparent;"));

    Bar1 = new QProgressBar(back);
    Bar1->setObjectName(QStringLiteral("Bar1"));
    Bar1->setGeometry(28, 204, kWidth - 56, 18);
    Bar1->setRange(0, 100);
    Bar1->setValue(0);
    Bar1->setTextVisible(false);

    // Only seen after a start-up that could not go on: the window has no
    // close box of its own.
    exit_ = new ui::ColorButton(QStringLiteral("Iesire"), back);
    exit_->setColors({QColor(0xFF0000), QColor(0xA60000), QColor(0xFF9B9B), QColor(0xFFD9D9), QColor(0xFFFFFF)});
    exit_->setGeometry(kWidth - 28 - 90, 226, 90, 25);
    exit_->hide();
    connect(exit_, &QAbstractButton::clicked, qApp, &QCoreApplication::quit);

    progress_ = new BarProgress(Bar1);
    store_.setProgress(progress_);

    Timer1.setInterval(1000);
    Timer1.setSingleShot(false);
    connect(&Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
}

TForm1::~TForm1() {
    store_.setProgress(nullptr);
    delete progress_;
    if (instance_ == this) instance_ = nullptr;
}

TForm1& TForm1::instance() { return *instance_; }

void TForm1::ShowProblem(const QString& message, QWidget* control) {
    platform::DialogRequest request;
    request.kind = platform::DialogKind::Balloon;
    request.caption = QStringLiteral("Problema !");
    request.text = message;
    request.target = control ? control->objectName() : QString();
    platform::Interaction::notice(request);
    ui::BalloonHint::show(control, QStringLiteral("Problema !"), message, 5000, pictureIcon(QStringLiteral("message-error")));
}

void TForm1::AdvanceProgress(int n) {
    Bar1->setValue(Bar1->value() + n);
    QApplication::processEvents();
}

void TForm1::showEvent(QShowEvent* event) {
    if (const QScreen* screen = QApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QWidget::showEvent(event);
    QApplication::processEvents();
    if (!failed_) Timer1.start();
}

void TForm1::keyPressEvent(QKeyEvent* event) {
    if (failed_ && event->key() == Qt::Key_Escape) {
        QCoreApplication::quit();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TForm1::Timer1Timer() {
    Timer1.stop();
    runStartup(platform::workingFolder(QCoreApplication::applicationDirPath()));
}

// The clerk chose not to repair: the program ends, the data untouched.
void TForm1::stopAtClerksChoice() {
    failed_ = true;
    unsetCursor();
    StatusLab->setText(QStringLiteral("Pornirea a fost oprita; datele nu au fost schimbate."));
    exit_->show();
    QCoreApplication::quit();
}

void TForm1::stopAfterError(const QString& message) {
    failed_ = true;
    unsetCursor();
    StatusLab->setText(QStringLiteral("Pornirea a fost oprita. Apasati ESC sau \"Iesire\"."));
    exit_->show();
    platform::showErrorBox(message);
    activateWindow();
}

// No other program may change the data while this run works on it; a
// restore that was interrupted is finished, or undone, before anything
// reads the tables.
bool TForm1::holdDataDir() {
    // A statement of the program waits a minute for a program that reads or
    // writes all the data at once (a backup, an export), saying so.
    engine::FolderWaitPolicy waiting;
    waiting.patience = std::chrono::seconds(60);
    waiting.waiting = [](const std::string&) { TForm3::instance().showWaitingForData(true); };
    waiting.waited = [] { TForm3::instance().showWaitingForData(false); };
    engine::setFolderWaitPolicy(waiting);
    try {
        if (!dataDirLock_.lock(store_.DataDir())) {
            stopAfterError(QStringLiteral("Datele din %1 sunt folosite de alt program (de exemplu o restaurare). "
                                          "Porniti Terralog din nou dupa ce acesta s-a terminat.")
                               .arg(store_.DataDir()));
            return false;
        }
        platform::DataDirReplacement::finishInterrupted(dataDirLock_);
    } catch (const std::exception& e) {
        stopAfterError(errorText(e));
        return false;
    }
    return true;
}

// A damaged table is neither read nor packed: the clerk sees what is wrong
// and chooses between its repair (every whole record kept, the file as it is
// now kept beside it first) and the end of the program with nothing changed.
// Every question is asked before the first repair.
bool TForm1::checkTables() {
    std::vector<engine::TableCondition> damaged;
    try {
        damaged = store_.DamagedTables();
    } catch (const std::exception& e) {
        stopAfterError(errorText(e));
        return false;
    }
    std::vector<QString> copies;
    for (const engine::TableCondition& table : damaged) {
        if (!table.headerRead()) {
            showProblems(table, QStringLiteral("\r\nProgramul nu il poate repara si se opreste."));
            stopAtClerksChoice();
            return false;
        }
        showProblems(table, QString());
        copies.push_back(store_.DamagedCopyName(table));
        if (Mesaj(QStringLiteral("Reparati %1?").arg(fileNameOf(table.path)), repairQuestion(table, copies.back()),
                  mkConfirmation, mbDa + mbNu) != mrDa) {
            stopAtClerksChoice();
            return false;
        }
    }
    for (size_t i = 0; i < damaged.size(); ++i) {
        StatusLab->setText(QStringLiteral("Repar %1 ...").arg(fileNameOf(damaged[i].path)));
        QApplication::processEvents();
        try {
            store_.RepairTable(damaged[i], copies[i]);
        } catch (const std::exception& e) {
            stopAfterError(QStringLiteral("Tabelul %1 nu a putut fi reparat: %2")
                               .arg(fileNameOf(damaged[i].path), errorText(e)));
            return false;
        }
    }
    return true;
}

bool TForm1::runStartup(const QString& appDir) {
    Timer1.stop();
    AdminUnlocked = false;
    setCursor(Qt::WaitCursor);
    QApplication::processEvents();

    store_.setAppDir(appDir);
    // The user's folder of an installed program is made at its first start;
    // the data directory's lock lives in the folder that holds it.
    QDir().mkpath(store_.AppDir());
    if (!holdDataDir()) return false;
    // A folder that cannot be made shows up as the table creation's error.
    QDir().mkpath(store_.DataDir());
    const QString engineDir = store_.AppDir() + QDir::separator() + QStringLiteral("TmpSQL");
    QDir().mkpath(engineDir);
    try {
        engine::Database::global().setTempDir(engineDir.toStdString());
    } catch (const std::exception&) {
        // The engine keeps its own folder.
    }
    QApplication::processEvents();
    if (!checkTables()) return false;

    try {
        store_.CreateTables();
        store_.UpgradeTables();
    } catch (const std::exception& e) {
        stopAfterError(errorText(e));
        return false;
    }

    QString error;
    try {
        Bar1->setValue(0);
        QApplication::processEvents();
        TForm2& about = TForm2::instance();
        about.Label1->setText(VersionCaption);
        about.Label2->setText(VersionCaption);
        TForm3::instance().setWindowTitle(VersionCaption);

        store_.WriteRegistryValue(QStringLiteral("CALE"), store_.AppDir());
        store_.WriteRegistryValue(QStringLiteral("VER"), VersionCaption);

        TForm4::instance().IncarcaConstante();

        StatusLab->setText(QStringLiteral("Refac bazele de date ..."));
        for (const QString& table : data::DataStore::packOrder()) {
            store_.PackTable(store_.tablePath(table));
            AdvanceProgress(20);
        }
    } catch (const std::exception& e) {
        error = errorText(e);
    }

    unsetCursor();
    hide();
    TForm3::instance().show();
    QApplication::processEvents();
    if (!error.isEmpty()) platform::showErrorBox(error);
    return true;
}
