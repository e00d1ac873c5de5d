#pragma once

#include <optional>

#include <QString>

class QPrinter;
class QWidget;

namespace platform {

// The common dialogs, through the test seam (see interaction.h).

// Who asks before a file that exists is replaced: the save dialog itself,
// or the program once the dialog has closed (the dialog then asks nothing,
// so that the user is not asked twice).
enum class ReplaceQuestion { AskedByDialog, AskedByProgram };

// The file chosen, or nothing when the user cancelled. `filter` is in Qt's
// form ("Imagini (*.jpg *.bmp);;Toate (*)"); `defaultExtension` (without the
// dot) is added to a typed name that has none.
std::optional<QString> askOpenFileName(QWidget* parent, const QString& title, const QString& filter,
                                       const QString& defaultExtension, const QString& folder = QString());
std::optional<QString> askSaveFileName(QWidget* parent, const QString& title, const QString& filter,
                                       const QString& defaultExtension, const QString& folder = QString(),
                                       ReplaceQuestion replace = ReplaceQuestion::AskedByDialog);

// A modal text-input dialog; the text confirmed, or nothing when cancelled.
std::optional<QString> askText(QWidget* parent, const QString& caption, const QString& prompt,
                               const QString& initialText);

// The print dialog over the printer's settings; false when cancelled. A
// scripted answer prints into the PDF file it names.
bool askPrinter(QWidget* parent, QPrinter& printer);

// Opens the file with the application associated with its type; false when
// none could be started.
bool openWithShell(const QString& path);

// The application's general error box: the error text and an OK button.
void showErrorBox(const QString& text);

}  // namespace platform
