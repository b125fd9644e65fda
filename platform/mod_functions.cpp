#include "platform/mod_functions.h"

#include "platform/app_error.h"
#include "platform/file_access.h"
#include "platform/platform_ui.h"
#include "platform/text_format.h"

#include <QDir>
#include <QFileInfo>

QString CommonOpenDialog(const QString &Title, const QString &Filter, const QString &InitialDir,
                         const QString &InitialFileName, qint32 OwnerWindow)
{
    OpenFileRequest request;
    request.ownerWindow = OwnerWindow;
    const QString filter = Filter.isEmpty() ? QStringLiteral("All Files (*.*)") + QChar(0) + QStringLiteral("*.*") + QChar(0)
                                            : Filter;
    const QStringList items = filter.split(QChar(0));
    // Items come in pairs; the empty text after the last NUL closes the list.
    for (qsizetype i = 0; i + 1 < items.size(); i += 2) {
        if (items[i].isEmpty() && items[i + 1].isEmpty())
            break;
        request.filters.append({items[i], items[i + 1]});
    }
    request.initialDir = InitialDir.isEmpty() ? QDir::currentPath() : InitialDir;
    request.initialFileName = InitialFileName;
    request.title = Title.isEmpty() ? QStringLiteral("Select File To Open") : Title;
    try {
        return StripNulls(platformUi().openFileDialog(request));
    } catch (const AppError &e) {
        MsgBox(QStringLiteral("CommonOpenDialog:") + QString::number(e.number()) + QStringLiteral(" - ") +
                   e.description(),
               vbCritical);
        return QString();
    }
}

QString TrimSpaces(const QString &Text)
{
    qsizetype begin = 0;
    qsizetype end = Text.size();
    while (begin < end && Text[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && Text[end - 1] == QLatin1Char(' '))
        --end;
    return Text.sliced(begin, end - begin);
}

QString AddBackslash(const QString &Path)
{
    const QString trimmed = TrimSpaces(Path);
    return trimmed.endsWith(QLatin1Char('\\')) ? trimmed : trimmed + QLatin1Char('\\');
}

QString StripNulls(const QString &Text)
{
    QString stripped = Text;
    stripped.remove(QChar(0));
    return stripped.isEmpty() ? Text : stripped;
}

bool AppendLine(const QString &FileName, const QString &Text)
{
    const QString source = QStringLiteral("AppendLine");
    try {
        if (FileName.isEmpty())
            throw AppError(RuntimeError::BadFileName, source, QStringLiteral("Bad file name or number"));
        requireSingleLine(Text, QStringLiteral("line"));
        if (isReadOnlyFile(FileName))
            throw AppError(RuntimeError::PermissionDenied, source, QStringLiteral("Permission denied: ") + FileName);
        QByteArray bytes;
        if (QFileInfo::exists(FileName))
            bytes = readWholeFile(FileName, source);
        const TextFormat format = detectTextFormat(bytes);
        const QByteArray line = encodeText(Text, format.encoding);
        if (!endsWithLineEnd(bytes, format.bomLength()))
            bytes.append(format.eol);
        bytes.append(line).append(format.eol);
        replaceFileContents(FileName, bytes, source);
        return true;
    } catch (const AppError &e) {
        MsgBox(e.description(), vbCritical);
    } catch (const std::bad_alloc &) {
        MsgBox(QStringLiteral("Out of memory"), vbCritical);
    }
    return false;
}

qint32 FindLast(const QString &Text, const QString &Part)
{
    if (Part.isEmpty())
        return 0;
    return qint32(Text.lastIndexOf(Part) + 1);
}

bool IsFormLoaded(const QString &Name)
{
    return platformUi().loadedForms().contains(Name);
}
