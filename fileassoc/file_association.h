#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class Interaction;

// Offers "Edit with Larkspur" on INI files to the desktop: a desktop entry in
// the user's applications folder, and, when the desktop's MIME database has
// no type for "*.ini", a MIME package in the user's MIME folder that declares
// one. Nothing is written outside the user's data folder and nothing is ever
// removed. A step that fails shows its message box through `ui` and the next
// step runs all the same; `ui` must outlive the object.
class FileAssociation {
public:
    // What the desktop's MIME database says of a file name.
    using MimeLookup = std::function<QStringList(const QString &fileName)>;
    explicit FileAssociation(Interaction &ui, MimeLookup knownMimeTypes = nullptr);

    // Registers the program at `programPath` for INI files. False, with
    // nothing written, when `programPath` is not an existing regular file;
    // otherwise true, whether or not every file could be written.
    bool registerIniFiles(const QString &programPath);

    // The program file that the registration runs: "larkspur" in `programFolder`.
    static QString programPath(const QString &programFolder);

private:
    // The steps of a registration, each with its own message on failure.
    bool prepareFolder(const QString &folder);
    bool findFolder(const QString &folder);
    void writeFile(const QString &path, const QByteArray &bytes, bool *written = nullptr);
    void report(const QString &text);

    Interaction &m_ui;
    MimeLookup m_knownMimeTypes;
};
