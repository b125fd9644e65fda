#include "append_line.h"

#include "app_error.h"
#include "file_access.h"
#include "file_lock.h"
#include "text_format.h"

#include <QFileInfo>

void appendLineToFile(const QString &FileName, const QString &Text)
{
    const QString source = QStringLiteral("AppendLine");
    if (FileName.isEmpty())
        throw AppError(RuntimeError::BadFileName, source, QStringLiteral("Bad file name or number"));
    requireSingleLine(Text, QStringLiteral("line"));
    if (isReadOnlyFile(FileName))
        throw AppError(RuntimeError::PermissionDenied, source, QStringLiteral("Permission denied: ") + FileName);
    const FileLock lock(FileName, source);
    QByteArray bytes;
    if (QFileInfo::exists(FileName))
        bytes = readWholeFile(FileName, source);
    FileText text = decodeFile(std::move(bytes));
    const TextFormat &format = text.format;
    const QByteArray line = encodeText(Text, format.encoding());
    if (!endsWithLineEnd(text.bytes, format.bomLength()))
        text.bytes.append(format.eol);
    text.bytes.append(line).append(format.eol);
    replaceFileContents(FileName, encodeFile(std::move(text.bytes), format, FileName, source), source);
}
