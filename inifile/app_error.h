#pragma once

#include <QString>

#include <exception>
#include <string>

// What went wrong, as the code that catches a failure tells failures apart.
enum class ErrorKind {
    InvalidArgument,
    OutOfMemory,
    OutOfRange,
    BadFileName,
    FileNotFound,
    DiskFull,
    PermissionDenied,
    PathFileAccess,
    PathNotFound,
    ObjectNotSet,
    ElementNotFound,
    KeyNotUnique,
    InvalidKey,
    // The store refused a request of its own accord (no file name, no file,
    // no history); the window asks for another file after it.
    Store,
    // Loading a file failed; the description says why.
    LoadFailed,
};

// The number shown before the description in "number - description" boxes.
// Users have always seen these numbers (53 for a missing file, 75 for a path
// or file access error, ...), so each kind keeps the one it always had; the
// code itself never looks at them.
int errorNumber(ErrorKind kind);

// A failure as the rest of the program sees it: what went wrong and a text
// for the user. Every layer throws this one type, so a window can always show
// "number - description".
class AppError : public std::exception {
public:
    AppError(ErrorKind kind, QString description);

    ErrorKind kind() const { return m_kind; }
    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return m_what.c_str(); }

private:
    ErrorKind m_kind;
    QString m_description;
    std::string m_what;
};

// Turns a failed system call on `path` into an AppError: the kind from the
// errno value, the description the system's text plus the path.
[[noreturn]] void throwFileError(int errnoValue, const QString &path);

// Raised when a step needs an object that is not there (no store, no
// selected node).
[[noreturn]] void throwObjectNotSet();
