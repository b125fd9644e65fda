#include "append_line.h"

#include "app_error.h"
#include "file_access.h"
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
    QByteArray bytes;
    if (QFileInfo::exists(FileName))
        bytes = readWholeFile(FileName, source);
    const TextFormat format = detectTextFormat(bytes);
    const QByteArray line = encodeText(Text, format.encoding);
    if (!endsWithLineEnd(bytes, format.bomLength()))
        bytes.append(format.eol);
    bytes.append(line).append(format.eol);
    replaceFileContents(FileName, bytes, source);
}
