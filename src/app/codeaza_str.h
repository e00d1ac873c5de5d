#pragma once

#include <QByteArray>
#include <QString>

// The scrambled form of the administrator password, as stored in the
// machine-wide value Erori. It depends only on the password: the scrambler
// seeds its own generator from the password's bytes, so the same password
// always gives the same text, and the text the original program stored for a
// password is the text given here.
//
// The password is taken as code page 1250 bytes (a character 1250 lacks
// counts as "?"); the result is a text of single bytes 32 to 181, returned as
// bytes and, by CodeazaStr, as the text those bytes mean in code page 1250.
QByteArray scrambledPasswordBytes(const QByteArray& password);
QString CodeazaStr(const QString& password);
