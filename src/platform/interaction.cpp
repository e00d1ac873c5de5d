#include "platform/interaction.h"

namespace platform {

ScriptedAnswers* Interaction::current_ = nullptr;

QString dialogKindName(DialogKind kind) {
    switch (kind) {
    case DialogKind::Message: return QStringLiteral("message");
    case DialogKind::Password: return QStringLiteral("password prompt");
    case DialogKind::OpenFile: return QStringLiteral("open-file dialog");
    case DialogKind::SaveFile: return QStringLiteral("save-file dialog");
    case DialogKind::TextInput: return QStringLiteral("text input");
    case DialogKind::ShellOpen: return QStringLiteral("shell open");
    case DialogKind::ErrorBox: return QStringLiteral("error box");
    case DialogKind::Balloon: return QStringLiteral("balloon");
    case DialogKind::Print: return QStringLiteral("print dialog");
    }
    return QString();
}

bool Interaction::scripted() { return current_ != nullptr; }

DialogAnswer Interaction::answer(const DialogRequest& request) {
    if (!current_) throw ScriptError(QStringLiteral("no script installed"));
    current_->requests_.push_back(request);
    const QString asked = dialogKindName(request.kind) + QStringLiteral(" \"") +
                          (request.heading.isEmpty() ? request.caption : request.heading) + QStringLiteral("\"");
    if (current_->answers_.empty()) reject(QStringLiteral("no scripted answer left for the ") + asked);
    const DialogAnswer next = current_->answers_.front();
    if (next.kind != request.kind)
        reject(QStringLiteral("the next scripted answer is for a ") + dialogKindName(next.kind) +
               QStringLiteral(", but the program asked a ") + asked);
    current_->answers_.pop_front();
    return next;
}

void Interaction::notice(const DialogRequest& request) {
    if (current_) current_->requests_.push_back(request);
}

void Interaction::reject(const QString& problem) {
    if (current_) current_->problems_.append(problem);
    throw ScriptError(problem);
}

ScriptedAnswers::ScriptedAnswers() {
    if (Interaction::current_) throw ScriptError(QStringLiteral("a script is already installed"));
    Interaction::current_ = this;
}

ScriptedAnswers::~ScriptedAnswers() { Interaction::current_ = nullptr; }

ScriptedAnswers& ScriptedAnswers::message(int result) {
    answers_.push_back({DialogKind::Message, result, true, QString()});
    return *this;
}

ScriptedAnswers& ScriptedAnswers::password(std::optional<QString> typed) {
    answers_.push_back({DialogKind::Password, 0, typed.has_value(), typed.value_or(QString())});
    return *this;
}

ScriptedAnswers& ScriptedAnswers::openFile(std::optional<QString> path) {
    answers_.push_back({DialogKind::OpenFile, 0, path.has_value(), path.value_or(QString())});
    return *this;
}

ScriptedAnswers& ScriptedAnswers::saveFile(std::optional<QString> path) {
    answers_.push_back({DialogKind::SaveFile, 0, path.has_value(), path.value_or(QString())});
    return *this;
}

ScriptedAnswers& ScriptedAnswers::textInput(std::optional<QString> text) {
    answers_.push_back({DialogKind::TextInput, 0, text.has_value(), text.value_or(QString())});
    return *this;
}

ScriptedAnswers& ScriptedAnswers::shellOpen(bool opened) {
    answers_.push_back({DialogKind::ShellOpen, 0, opened, QString()});
    return *this;
}

ScriptedAnswers& ScriptedAnswers::print(std::optional<QString> pdfFile) {
    answers_.push_back({DialogKind::Print, 0, pdfFile.has_value(), pdfFile.value_or(QString())});
    return *this;
}

std::vector<DialogRequest> ScriptedAnswers::requestsOf(DialogKind kind) const {
    std::vector<DialogRequest> out;
    for (const DialogRequest& r : requests_)
        if (r.kind == kind) out.push_back(r);
    return out;
}

}  // namespace platform
