#pragma once

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace titles {

// Letters turn to capitals as they are typed or pasted into the edit (or into
// the edit of an editable combo box); text set by the program is left as it is.
void forceUpperCase(QLineEdit* edit);
void forceUpperCase(QComboBox* box);

// An edit by the user that would make the memo's text longer than maxLength
// characters is refused and the previous text stays, as in a single-line
// edit. Text the program puts in is not bounded.
void limitLength(QPlainTextEdit* memo, int maxLength);

}  // namespace titles
