#include "platform/dialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>

#include "platform/interaction.h"

namespace platform {
namespace {

// The kind of a file in the file dialog's "Tip" column. Qt would take the
// system's descriptions of file types in the language of the process's
// locale, which is C for the fixed number formats; its own words for a
// folder and a file follow the Romanian translation instead.
class FileTypes : public QFileIconProvider {
public:
    QString type(const QFileInfo& info) const override {
        if (info.isDir()) return QCoreApplication::translate("QAbstractFileIconProvider", "Folder");
        if (info.suffix().isEmpty()) return QCoreApplication::translate("QAbstractFileIconProvider", "File");
        return QCoreApplication::translate("QAbstractFileIconProvider", "%1 File").arg(info.suffix().toUpper());
    }
};

std::optional<QString> askFileName(DialogKind kind, QWidget* parent, const QString& title, const QString& filter,
                                   const QString& defaultExtension, const QString& folder, ReplaceQuestion replace) {
    if (Interaction::scripted()) {
        DialogRequest request;
        request.kind = kind;
        request.caption = title;
        request.filter = filter;
        request.defaultExtension = defaultExtension;
        request.folder = folder;
        const DialogAnswer a = Interaction::answer(request);
        if (!a.accepted) return std::nullopt;
        return a.text;
    }
    QFileDialog dialog(parent, title, folder, filter);
    dialog.setAcceptMode(kind == DialogKind::SaveFile ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(kind == DialogKind::SaveFile ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(defaultExtension);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, replace == ReplaceQuestion::AskedByProgram);
    static FileTypes types;
    dialog.setIconProvider(&types);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

}  // namespace

std::optional<QString> askOpenFileName(QWidget* parent, const QString& title, const QString& filter,
                                       const QString& defaultExtension, const QString& folder) {
    return askFileName(DialogKind::OpenFile, parent, title, filter, defaultExtension, folder,
                       ReplaceQuestion::AskedByDialog);
}

std::optional<QString> askSaveFileName(QWidget* parent, const QString& title, const QString& filter,
                                       const QString& defaultExtension, const QString& folder,
                                       ReplaceQuestion replace) {
    return askFileName(DialogKind::SaveFile, parent, title, filter, defaultExtension, folder, replace);
}

std::optional<QString> askText(QWidget* parent, const QString& caption, const QString& prompt,
                               const QString& initialText) {
    if (Interaction::scripted()) {
        DialogRequest request;
        request.kind = DialogKind::TextInput;
        request.caption = caption;
        request.text = prompt;
        request.initialText = initialText;
        const DialogAnswer a = Interaction::answer(request);
        if (!a.accepted) return std::nullopt;
        return a.text;
    }
    bool ok = false;
    const QString text = QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal, initialText, &ok);
    if (!ok) return std::nullopt;
    return text;
}

bool askPrinter(QWidget* parent, QPrinter& printer) {
    if (Interaction::scripted()) {
        DialogRequest request;
        request.kind = DialogKind::Print;
        request.caption = printer.docName();
        const DialogAnswer a = Interaction::answer(request);
        if (!a.accepted) return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(a.text);
        return true;
    }
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool openWithShell(const QString& path) {
    if (Interaction::scripted()) {
        DialogRequest request;
        request.kind = DialogKind::ShellOpen;
        request.path = path;
        return Interaction::answer(request).accepted;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void showErrorBox(const QString& text) {
    if (Interaction::scripted()) {
        DialogRequest request;
        request.kind = DialogKind::ErrorBox;
        request.caption = QApplication::applicationDisplayName();
        request.text = text;
        Interaction::notice(request);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), text, QMessageBox::Ok);
    box.exec();
}

}  // namespace platform
