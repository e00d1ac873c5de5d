#pragma once

class QPlainTextEdit;

namespace titles {

// An edit by the user that would make the memo's text longer than maxLength
// characters is refused and the previous text stays, as in a single-line
// edit. Text the program puts in is not bounded.
void limitLength(QPlainTextEdit* memo, int maxLength);

}  // namespace titles
