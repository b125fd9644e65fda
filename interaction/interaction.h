#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class AppError;

// The application title that every message box without a title of its own carries.
inline const QString kAppTitle = QStringLiteral("Larkspur");

// What a message box offers, the icon it shows, and what the person answered.
enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { None, Critical, Question, Warning, Information };
enum class Answer { Ok, Yes, No };

struct FileFilter {
    QString description;
    QString pattern;
};

// What the open-file dialog is asked to show.
struct OpenFileRequest {
    QString title;
    QList<FileFilter> filters;
    QString initialDir;
    QString initialFileName;
    qint32 ownerWindow = 0;
};

// Everything that needs a person: message boxes and the open-file dialog.
// Whoever owns the store and the windows hands one in: the editor a Qt one,
// the command-line tool one that writes to stderr, tests a scripted one.
class Interaction {
public:
    virtual ~Interaction() = default;
    // Shows `text` (CR LF is a line break) and returns the button pressed;
    // a box closed without a choice answers No when it asked, Ok when not.
    virtual Answer messageBox(const QString &text, MessageButtons buttons, MessageIcon icon, const QString &title) = 0;
    // Returns the chosen file's absolute path, or "" when cancelled.
    virtual QString openFileDialog(const OpenFileRequest &request) = 0;

    // A message box with an OK button; an empty title becomes the application title.
    void tell(const QString &text, MessageIcon icon = MessageIcon::None, const QString &title = QString());
    // A Yes/No question; true when the person answered Yes.
    bool ask(const QString &text, MessageIcon icon = MessageIcon::Question, const QString &title = QString());
    // The one way a failure is reported and ended: "number - description",
    // with the stop icon.
    void reportError(const AppError &error);
};
