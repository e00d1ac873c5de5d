#pragma once

#include <deque>
#include <optional>
#include <stdexcept>
#include <vector>

#include <QString>
#include <QStringList>

namespace platform {

// The modal windows of the program (message dialog, password prompt, file
// dialogs, text input), the shell's open and the notices that need no answer
// (validation balloons, the general error box) all pass through here. With no
// script installed they show as usual. With a script installed, a window that
// asks takes the next scripted answer instead of showing anything, and every
// request is recorded, so tests drive the forms without a person.
enum class DialogKind { Message, Password, OpenFile, SaveFile, TextInput, ShellOpen, ErrorBox, Balloon, Print };

QString dialogKindName(DialogKind kind);

struct DialogRequest {
    DialogKind kind = DialogKind::Message;
    QString caption;       // window caption; file dialog title; balloon title
    QString heading;       // message dialog heading
    QString text;          // message text; prompt line; balloon or error text
    int messageKind = -1;  // message dialog
    int buttons = 0;       // message dialog
    QString filter;        // file dialogs
    QString defaultExtension;
    QString folder;
    QString initialText;   // text input
    QString path;          // shell open
    QString target;        // balloon: objectName of the control it points at
};

struct DialogAnswer {
    DialogKind kind = DialogKind::Message;
    int result = 0;         // message dialog: the result code
    bool accepted = false;  // prompts and file dialogs: confirmed; shell open: succeeded
    QString text;           // typed text or chosen path
};

// A script that does not fit what the program asked: an empty queue, an
// answer of another kind, or an answer the window could not give.
class ScriptError : public std::logic_error {
public:
    explicit ScriptError(const QString& message) : std::logic_error(message.toStdString()) {}
};

class ScriptedAnswers;

class Interaction {
public:
    static bool scripted();
    // Records the request and hands out the next answer; throws ScriptError
    // when there is none or it is of another kind.
    static DialogAnswer answer(const DialogRequest& request);
    // Records a notice while a script is installed; does nothing otherwise.
    static void notice(const DialogRequest& request);
    // For the window that validates a scripted answer against what it shows.
    static void reject(const QString& problem);

private:
    friend class ScriptedAnswers;
    static ScriptedAnswers* current_;
};

// Installed for its lifetime (one at a time). Answers are queued in the order
// the program will ask.
class ScriptedAnswers {
public:
    ScriptedAnswers();
    ~ScriptedAnswers();
    ScriptedAnswers(const ScriptedAnswers&) = delete;
    ScriptedAnswers& operator=(const ScriptedAnswers&) = delete;

    // The button pressed in a message dialog (1 OK, 2 RENUNT or Escape, 6 DA, 7 NU).
    ScriptedAnswers& message(int result);
    // The text typed into the password prompt, or nothing for "Renunt".
    ScriptedAnswers& password(std::optional<QString> typed);
    // The file chosen, or nothing for a cancelled dialog.
    ScriptedAnswers& openFile(std::optional<QString> path);
    ScriptedAnswers& saveFile(std::optional<QString> path);
    // The text confirmed in the text-input dialog, or nothing for cancel.
    ScriptedAnswers& textInput(std::optional<QString> text);
    // Whether the shell managed to open the file.
    ScriptedAnswers& shellOpen(bool opened = true);
    // The print dialog confirmed with printing into this PDF file, or nothing for cancel.
    ScriptedAnswers& print(std::optional<QString> pdfFile);

    const std::vector<DialogRequest>& requests() const { return requests_; }
    std::vector<DialogRequest> requestsOf(DialogKind kind) const;
    // Answers not taken yet.
    int pending() const { return int(answers_.size()); }
    // Every way the program and the script did not fit, in order.
    const QStringList& problems() const { return problems_; }

private:
    friend class Interaction;
    std::deque<DialogAnswer> answers_;
    std::vector<DialogRequest> requests_;
    QStringList problems_;
};

}  // namespace platform
