#pragma once

#include <QString>

#include <exception>
#include <string>

// A failure as the rest of the program sees it: a 32-bit number, the place it
// came from and a text for the user. Every layer throws this one type, so a
// window can always show "number - description".
class AppError : public std::exception {
public:
    AppError(qint32 number, QString source, QString description);

    qint32 number() const { return m_number; }
    const QString &source() const { return m_source; }
    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return m_what.c_str(); }

private:
    qint32 m_number;
    QString m_source;
    QString m_description;
    std::string m_what;
};

// The store's own errors.
inline constexpr qint32 kStoreErrorNumber = 3000;
// What a failed load is passed on as (0x800403E8 as a signed value).
inline constexpr qint32 kLoadErrorNumber = qint32(0x800403E8u);

// Run-time error numbers of file failures, numbered the way Basic programs
// have always seen them, so that "53 - ..." means the same to every user.
namespace RuntimeError {
inline constexpr qint32 InvalidArgument = 5;
inline constexpr qint32 OutOfMemory = 7;
inline constexpr qint32 SubscriptOutOfRange = 9;
inline constexpr qint32 BadFileName = 52;
inline constexpr qint32 FileNotFound = 53;
inline constexpr qint32 DiskFull = 61;
inline constexpr qint32 PermissionDenied = 70;
inline constexpr qint32 PathFileAccess = 75;
inline constexpr qint32 PathNotFound = 76;
inline constexpr qint32 ObjectNotSet = 91;
} // namespace RuntimeError

// Turns a failed system call on `path` into an AppError: the number from the
// table above, the description the system's text plus the path.
[[noreturn]] void throwFileError(int errnoValue, const QString &path, const QString &source);

// Error 91, raised by `source` when a step needs an object that is not there
// (no store, no selected node).
[[noreturn]] void throwObjectNotSet(const QString &source);
