#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class AppError;

// The application title that every message box without a title of its own carries.
inline const QString kAppTitle = QStringLiteral("Larkspur");

// Message box styles and answers, with the values the Windows MessageBox
// function gives them; callers combine a button set with an icon.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbYesNo = 4,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
};
enum MsgBoxResult : int { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

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

// Everything that needs a person: message boxes, the open-file dialog and the
// list of our open top-level windows. Whoever owns the store and the windows
// hands one in: the editor a Qt one, the command-line tool one that writes to
// stderr, tests a scripted one.
class Interaction {
public:
    virtual ~Interaction() = default;
    // Shows `text` (CR LF is a line break) and returns the button pressed.
    virtual int messageBox(const QString &text, int style, const QString &title) = 0;
    // Returns the chosen file's absolute path, or "" when cancelled.
    virtual QString openFileDialog(const OpenFileRequest &request) = 0;
    // Object names of the top-level windows currently loaded.
    virtual QStringList loadedForms() const { return {}; }

    // A message box; an empty title becomes the application title.
    int MsgBox(const QString &text, int style = vbOKOnly, const QString &title = QString());
    // The one way a failure is reported and ended: "number - description",
    // with the stop icon.
    void reportError(const AppError &error);
};
