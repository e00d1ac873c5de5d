#include "app/password_prompt.h"

#include <memory>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "app/pictures.h"
#include "platform/interaction.h"
#include "ui/gradient_panel.h"

namespace {
std::unique_ptr<TForm5> ownedInstance;
}

TForm5* TForm5::instance_ = nullptr;

TForm5::TForm5(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    instance_ = this;
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("AUTENTIFICARE"));
    setFixedSize(259, 121);

    auto* back = new ui::GradientPanel(QColor(0xF4F6FA), QColor(0xD9E1EC), Qt::Vertical, this);
    back->setGeometry(0, 0, 259, 121);

    auto* icon = new QLabel(back);
    icon->setPixmap(picture(QStringLiteral("password")));
    icon->setGeometry(12, 12, 48, 48);

    prompt_ = new QLabel(QStringLiteral("Parola"), back);
    prompt_->setGeometry(72, 12, 175, 18);
    QFont bold = prompt_->font();
    bold.setBold(true);
    prompt_->setFont(bold);

    edit_ = new QLineEdit(back);
    edit_->setObjectName(QStringLiteral("Edit1"));
    edit_->setEchoMode(QLineEdit::Password);
    edit_->setGeometry(72, 34, 175, 24);
    edit_->installEventFilter(this);

    verify_ = new QPushButton(QStringLiteral("Verifica"), back);
    verify_->setGeometry(72, 76, 84, 28);
    // Enter presses "Verifica" only once it has the focus.
    verify_->setAutoDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Renunt"), back);
    cancel_->setGeometry(163, 76, 84, 28);
    cancel_->setAutoDefault(false);

    connect(verify_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

TForm5::~TForm5() {
    if (instance_ == this) instance_ = nullptr;
}

TForm5& TForm5::instance() {
    if (!instance_) ownedInstance = std::make_unique<TForm5>();
    return *instance_;
}

void TForm5::prepare(const QString& caption, const QString& prompt) {
    setWindowTitle(caption);
    prompt_->setText(prompt);
    edit_->clear();
    edit_->setFocus();
}

bool TForm5::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            verify_->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool InputQuery2(const QString& caption, const QString& prompt, QString& text) {
    TForm5& form = TForm5::instance();
    form.prepare(caption, prompt);
    if (platform::Interaction::scripted()) {
        platform::DialogRequest request;
        request.kind = platform::DialogKind::Password;
        request.caption = caption;
        request.text = prompt;
        const platform::DialogAnswer a = platform::Interaction::answer(request);
        if (!a.accepted) return false;
        text = a.text;
        return true;
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), form.size());
        frame.moveCenter(screen->availableGeometry().center());
        form.move(frame.topLeft());
    }
    if (form.exec() != QDialog::Accepted) return false;
    text = form.edit()->text();
    return true;
}
