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
    FileText file = decodeFile(std::move(bytes));
    const TextFormat &format = file.format;
    const QByteArray line = encodeText(text, format.encoding());
    if (!endsWithLineEnd(file.bytes, format.bomLength()))
        file.bytes.append(format.eol);
    file.bytes.append(line).append(format.eol);
    replaceFileContents(fileName, encodeFile(std::move(file.bytes), format, fileName));
}
