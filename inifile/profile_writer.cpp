#include "profile_writer.h"

#include "app_error.h"
#include "file_access.h"
#include "file_lock.h"
#include "huge_pages.h"
#include "name_match.h"

#include <QFileInfo>

namespace {
bool isHeaderLine(QByteArrayView line)
{
    return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

// Replaces `length` bytes at `at` by `text`. A file of tens of megabytes read
// with room to spare (see writeProfileValue) is edited where it
// lies: one move of its tail instead of a second buffer of its size, which
// the kernel would first have to clear.
QByteArray editedInPlace(QByteArray bytes, qsizetype at, qsizetype length, QByteArrayView text)
{
    const qsizetype size = bytes.size() - length + text.size();
    if (bytes.isDetached() && size <= bytes.capacity()) {
        bytes.replace(at, length, text);
        return bytes;
    }
    QByteArray out;
    out.reserve(size);
    adviseHugePages(out);
    out.append(QByteArrayView(bytes).first(at));
    out.append(text);
    out.append(QByteArrayView(bytes).sliced(at + length));
    return out;
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
        throw AppError(ErrorKind::InvalidArgument,
                       QStringLiteral("The key name \"%1\" holds \"=\", which a configuration file cannot store in a "
                                      "key name; nothing was written")
                           .arg(key));
    if (key.startsWith(QLatin1Char('[')) && value.endsWith(QLatin1Char(']')))
        throw AppError(ErrorKind::InvalidArgument,
                       QStringLiteral("The line \"%1=%2\" would read back as a section header; nothing was written")
                           .arg(key, value));
}

QByteArray applyProfileWrite(QByteArray bytes, const TextFormat &format, const QString &section, const QString &key,
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
        const QByteArrayView text = QByteArrayView(bytes).sliced(line.start, line.length);
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
            const qsizetype valueStart = line.start + eq + 1;
            return editedInPlace(std::move(bytes), valueStart, line.start + line.length - valueStart, encodedValue);
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

    return editedInPlace(std::move(bytes), insertAt, 0, added);
}

bool writeProfileValue(const QString &section, const QString &key, const QString &value, const QString &fileName)
{
    checkProfileWrite(section, key, value);
    if (isReadOnlyFile(fileName))
        return false;
    const FileLock lock(fileName);
    QByteArray bytes;
    // Room for what the write adds (a header and a line, at most three
    // bytes for each UTF-16 unit), so that it goes into the same buffer.
    const qsizetype added = 3 * (section.size() + key.size() + value.size()) + 16;
    if (QFileInfo::exists(fileName))
        bytes = readWholeFile(fileName, added);
    replaceFileContents(fileName, profileWrittenBytes(std::move(bytes), section, key, value, fileName));
    return true;
}

QByteArray profileWrittenBytes(QByteArray fileBytes, const QString &section, const QString &key, const QString &value,
                               const QString &fileName)
{
    FileText text = decodeFile(std::move(fileBytes));
    QByteArray written = applyProfileWrite(std::move(text.bytes), text.format, section, key, value);
    return encodeFile(std::move(written), text.format, fileName);
}
