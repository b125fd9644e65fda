#include "profile_writer.h"

#include "app_error.h"
#include "file_access.h"
#include "file_lock.h"
#include "huge_pages.h"
#include "name_match.h"

#include <QFileInfo>

namespace {
const QString kSource = QStringLiteral("WritePrivateProfileString");

bool isHeaderLine(QByteArrayView line)
{
    return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}
} // namespace

void checkProfileWrite(const QString &section, const QString &key, const QString &value)
{
    requireSingleLine(section, QStringLiteral("section name"));
    requireSingleLine(key, QStringLiteral("key name"));
    requireSingleLine(value, QStringLiteral("value"));
    // A key line ends its key at the first "=": such a name would read back
    // as another key, whose value it would take over.
    if (key.contains(QLatin1Char('=')))
        throw AppError(RuntimeError::InvalidArgument, kSource,
                       QStringLiteral("The key name \"%1\" holds \"=\", which a configuration file cannot store in a "
                                      "key name; nothing was written")
                           .arg(key));
    if (key.startsWith(QLatin1Char('[')) && value.endsWith(QLatin1Char(']')))
        throw AppError(RuntimeError::InvalidArgument, kSource,
                       QStringLiteral("The line \"%1=%2\" would read back as a section header; nothing was written")
                           .arg(key, value));
}

QByteArray applyProfileWrite(QByteArrayView bytes, const TextFormat &format, const QString &section, const QString &key,
                             const QString &value)
{
    const UpperMatcher sectionMatch(section);
    const UpperMatcher keyMatch(key);
    const QByteArray encodedValue = encodeText(value, format.encoding());

    const qsizetype top = qMin(format.bomLength(), bytes.size());
    // Section "" is the stretch before the first header, which is always there.
    bool inSection = section.isEmpty();
    bool firstOccurrence = inSection;
    bool sectionFound = inSection;
    qsizetype insertAt = top;
    bool insertAfterUnendedLine = false;

    LineCursor cursor(bytes, top);
    LineSpan line;
    while (cursor.next(line)) {
        const QByteArrayView text = bytes.sliced(line.start, line.length);
        if (isHeaderLine(text)) {
            firstOccurrence = false;
            inSection = sectionMatch.matchesBytes(text.sliced(1, text.size() - 2), format.encoding());
            if (inSection && !sectionFound) {
                sectionFound = true;
                firstOccurrence = true;
                insertAt = line.end();
                insertAfterUnendedLine = line.eolLength == 0;
            }
            continue;
        }
        const qsizetype eq = text.indexOf('=');
        if (eq < 0 || !inSection)
            continue;
        if (keyMatch.matchesBytes(text.first(eq), format.encoding())) {
            QByteArray out;
            out.reserve(bytes.size() + encodedValue.size());
            adviseHugePages(out);
            out.append(bytes.first(line.start + eq + 1));
            out.append(encodedValue);
            out.append(bytes.sliced(line.start + line.length));
            return out;
        }
        if (firstOccurrence) {
            insertAt = line.end();
            insertAfterUnendedLine = line.eolLength == 0;
        }
    }

    QByteArray added;
    if (!sectionFound) {
        insertAt = bytes.size();
        if (!endsWithLineEnd(bytes, top))
            added.append(format.eol);
        added.append('[').append(encodeText(section, format.encoding())).append(']').append(format.eol);
    } else if (insertAfterUnendedLine) {
        added.append(format.eol);
    }
    added.append(encodeText(key, format.encoding())).append('=').append(encodedValue).append(format.eol);
    // In a file whose line end is a lone CR, a line put right before an
    // empty line ended by LF would join that LF into one CR LF, and the
    // empty line would be gone.
    if (added.endsWith('\r') && insertAt < bytes.size() && bytes[insertAt] == '\n')
        added.append('\n');

    QByteArray out;
    out.reserve(bytes.size() + added.size());
    adviseHugePages(out);
    out.append(bytes.first(insertAt));
    out.append(added);
    out.append(bytes.sliced(insertAt));
    return out;
}

bool WritePrivateProfileString(const QString &section, const QString &key, const QString &value,
                               const QString &fileName)
{
    checkProfileWrite(section, key, value);
    if (isReadOnlyFile(fileName))
        return false;
    const FileLock lock(fileName, kSource);
    QByteArray bytes;
    if (QFileInfo::exists(fileName))
        bytes = readWholeFile(fileName, kSource);
    const FileText text = decodeFile(std::move(bytes));
    const QByteArray written = applyProfileWrite(text.bytes, text.format, section, key, value);
    replaceFileContents(fileName, encodeFile(written, text.format, fileName, kSource), kSource);
    return true;
}
