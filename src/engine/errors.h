#pragma once

#include <stdexcept>
#include <string>

namespace engine {

// Every failure the engine reports is one of these. The message is complete and
// meant for the user: it names the file, the field or the statement position.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The statement text could not be parsed. Line and column count from 1.
class SyntaxError : public Error {
public:
    SyntaxError(const std::string& message, int line, int column)
        : Error(message), line_(line), column_(column) {}
    int line() const { return line_; }
    int column() const { return column_; }

private:
    int line_;
    int column_;
};

// A name in a statement or a filter does not resolve (unknown field, ambiguous
// name, aggregate misuse).
class BindError : public Error {
public:
    using Error::Error;
};

// A value cannot be stored or compared as asked: a text too long for its field,
// a number out of range, an impossible date, a character the code page lacks.
class ValueError : public Error {
public:
    using Error::Error;
};

// A table file is missing, damaged, locked or cannot be written.
class TableError : public Error {
public:
    using Error::Error;
};

}  // namespace engine
