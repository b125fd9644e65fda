#include "file_association.h"

#include "desktop_entry.h"
#include "file_name_test.h"
#include "interaction.h"
#include "mime_package.h"
#include "xdg_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

Q_LOGGING_CATEGORY(lcFileAssoc, "larkspur.fileassoc")

namespace {
const QString kTitle = QStringLiteral("DLL/OCX Register");
const QString kProgramFileName = QStringLiteral("larkspur");
const QString kExtension = QStringLiteral(".INI");
const QString kFileType = QStringLiteral("inifile");
const QString kDescription = QStringLiteral("Larkspur");
const QString kVerb = QStringLiteral("Edit with Larkspur");

// Rebuilds the caches of the MIME folder `mimeDir` from its packages, when
// the desktop's tool for it is installed; it writes inside `mimeDir` only.
// The package is in place either way, and the desktop's next rebuild picks
// it up, so a tool that fails is only worth a warning.
void updateMimeDatabase(const QString &mimeDir)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
    if (tool.isEmpty())
        return;
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(tool, {mimeDir});
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        qCWarning(lcFileAssoc) << "update-mime-database did not rebuild" << mimeDir << "exit code" << process.exitCode()
                               << process.errorString();
}
} // namespace

FileAssociation::FileAssociation(Interaction &ui, MimeLookup knownMimeTypes)
    : m_ui(ui), m_knownMimeTypes(knownMimeTypes ? std::move(knownMimeTypes) : MimeLookup(systemMimeTypesForFileName))
{}

void FileAssociation::report(const QString &text)
{
    m_ui.tell(text, MessageIcon::Critical, kTitle);
}

bool FileAssociation::prepareFolder(const QString &folder)
{
    // An empty folder is no data folder at all: nowhere to write.
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        report(QStringLiteral("An error occured while attempting to to create a registery key."));
        return false;
    }
    return true;
}

bool FileAssociation::findFolder(const QString &folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        report(QStringLiteral("An error occured while attempting to access the registery."));
        return false;
    }
    return true;
}

void FileAssociation::writeFile(const QString &path, const QByteArray &bytes, bool *written)
{
    if (written)
        *written = false;
    // The desktop watches these files and reloads what changes, so an
    // unchanged one is left alone.
    QFile current(path);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == bytes)
        return;
    current.close();
    // The whole file or the old one as it was: a half-written entry would
    // hide the program from the desktop.
    QSaveFile file(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !file.open(QIODevice::WriteOnly)
        || file.write(bytes) != bytes.size() || !file.commit()) {
        qCWarning(lcFileAssoc) << "cannot write" << path << file.errorString();
        report(QStringLiteral("An error occured while attempting to set key default value."));
        return;
    }
    if (written)
        *written = true;
}

bool FileAssociation::registerIniFiles(const QString &programPath)
{
    if (!namesExistingFile(programPath)) {
        report(QStringLiteral("The application path '") + programPath + QStringLiteral("' cannot be found."));
        return false;
    }

    // Without a data folder of the user's own there is nowhere to write.
    const QString applications = userDataHome().isEmpty() ? QString() : userApplicationsDir();
    bool declare = false;
    const QString mimeType =
        mimeTypeForExtension(kExtension, m_knownMimeTypes(QStringLiteral("file") + kExtension.toLower()), declare);

    // The extension (the entry's MIME type), the file type (its name) and the
    // verb (its command) all end up in the desktop entry, so the applications
    // folder is the place of each. Each part still checks its place and says
    // so on its own, so that the person sees which parts failed, as always: two
    // folder steps first (the extension; the file type with its verb), then
    // one step per part. A step that fails has said so; the next one runs.
    prepareFolder(applications);
    prepareFolder(applications);

    // The extension: declared in a MIME package of our own when the desktop
    // knows no type for it, and only where the entry that lists it can follow.
    if (findFolder(applications) && declare) {
        bool written = false;
        writeFile(mimePackagePath(), mimePackage({ownMimeDeclaration(kExtension)}), &written);
        if (written)
            updateMimeDatabase(userMimeDir());
    }
    // The file type: its description is the entry's name, written with the verb.
    findFolder(applications);
    // The verb: the entry itself, which runs the program on the file.
    if (findFolder(applications)) {
        const FileType type{kFileType, kDescription, {{kVerb, programPath + QStringLiteral(" %1")}}, std::nullopt};
        // The program is exactly the file we were given, blanks and all, even
        // where a shorter run of its words happens to name a file too.
        const FileProbe isProgram = [&programPath](const QString &path) { return path == programPath; };
        writeFile(applications + QLatin1Char('/') + desktopEntryFileName(kFileType),
                  desktopEntry(type, {mimeType}, isProgram));
    }
    return true;
}

QString FileAssociation::programPath(const QString &programFolder)
{
    // Blanks at either end are part of a folder's name here, so the folder
    // is taken as it is, and a separator added only when it has none.
    const bool hasSeparator = programFolder.endsWith(QLatin1Char('/'));
    return programFolder + (hasSeparator ? QString() : QStringLiteral("/")) + kProgramFileName;
}
