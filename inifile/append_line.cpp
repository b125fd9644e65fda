#include "append_line.h"

#include "app_error.h"
#include "file_access.h"
#include "file_lock.h"
#include "text_format.h"

#include <QFileInfo>

void appendLine(const QString &fileName, const QString &text)
{
    if (fileName.isEmpty())
        throw AppError(ErrorKind::BadFileName, QStringLiteral("Bad file name or number"));
    requireSingleLine(text, QStringLiteral("line"));
    if (isReadOnlyFile(fileName))
        throw AppError(ErrorKind::PermissionDenied, QStringLiteral("Permission denied: ") + fileName);
    const FileLock lock(fileName);
    QByteArray bytes;
    if (QFileInfo::exists(fileName))
        bytes = readWholeFile(fileName);
    replaceFileContents(fileName, appendedLineBytes(std::move(bytes), text, fileName));
}

QByteArray appendedLineBytes(QByteArray fileBytes, const QString &text, const QString &fileName)
{
    requireSingleLine(text, QStringLiteral("line"));
    FileText file = decodeFile(std::move(fileBytes));
    const TextFormat &format = file.format;
    const QByteArray line = encodeText(text, format.encoding());
    if (!endsWithLineEnd(file.bytes, format.bomLength()))
        file.bytes.append(format.eol);
    file.bytes.append(line).append(format.eol);
    return encodeFile(std::move(file.bytes), format, fileName);
}
