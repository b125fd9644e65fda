#include "app_error.h"
#include "file_access.h"
#include "posix_io.h"
#include "text_format.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {
// How many bytes at the end of `bytes` begin a UTF-8 sequence that does not
// end there.
qsizetype unfinishedUtf8Tail(QByteArrayView bytes)
{
    for (qsizetype back = 1; back <= 3 && back <= bytes.size(); ++back) {
        const auto c = uchar(bytes[bytes.size() - back]);
        if ((c & 0xC0) == 0x80)
            continue;
        const qsizetype length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}
} // namespace

TextFormat formatOfFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        const int err = QFileInfo::exists(path) ? (QFileInfo(path).isDir() ? EISDIR : EACCES) : ENOENT;
        throwFileError(err, path);
    }
    // A UTF-16 or UTF-32 file is converted as a whole to tell whether it converts back.
    if (convertedOpening(file.peek(kConvertedOpening)))
        return decodeFile(readWholeFile(path)).format;

    // Otherwise the file is read in pieces through one small buffer: it is
    // UTF-8 when every piece is, an unfinished sequence at the end of a piece
    // carried over to the next; its line end is the first one in it.
    constexpr qint64 kPiece = qint64(1) << 20;
    QByteArray buffer(qsizetype(kPiece) + 4, Qt::Uninitialized);
    qsizetype carried = 0;
    bool utf8 = true;
    bool first = true;
    bool bom = false;
    QByteArray eol;
    bool crLast = false; // the piece before ended in CR: the next byte tells CR from CR LF
    const qint64 limit = file.size() + kUnsizedReadLimit;
    for (qint64 total = 0;;) {
        const qint64 got = file.read(buffer.data() + carried, kPiece);
        if (got < 0)
            throw AppError(ErrorKind::PathFileAccess, file.errorString() + QStringLiteral(": ") + path);
        total += got;
        if (total > limit)
            throwEndlessFile(path);
        const QByteArrayView fresh(buffer.constData() + carried, qsizetype(got));
        if (first) {
            bom = fresh.startsWith("\xEF\xBB\xBF");
            first = false;
        }
        if (eol.isEmpty() && crLast) {
            if (!fresh.isEmpty())
                eol = fresh.front() == '\n' ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\r");
        } else if (eol.isEmpty()) {
            const char *end = std::find_if(fresh.begin(), fresh.end(), [](char c) { return c == '\r' || c == '\n'; });
            if (end != fresh.end()) {
                if (*end == '\n')
                    eol = QByteArrayLiteral("\n");
                else if (end + 1 != fresh.end())
                    eol = end[1] == '\n' ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\r");
                else
                    crLast = true;
            }
        }
        if (got == 0) {
            utf8 = utf8 && carried == 0;
            if (eol.isEmpty() && crLast)
                eol = QByteArrayLiteral("\r");
            break;
        }
        const qsizetype size = carried + qsizetype(got);
        if (utf8) {
            const qsizetype tail = unfinishedUtf8Tail(QByteArrayView(buffer.constData(), size));
            utf8 = QByteArrayView(buffer.constData(), size - tail).isValidUtf8();
            std::memmove(buffer.data(), buffer.constData() + size - tail, size_t(tail));
            carried = utf8 ? tail : 0;
        }
        if (!utf8 && !eol.isEmpty())
            break;
    }
    TextFormat format;
    format.fileEncoding = utf8 ? FileEncoding::Utf8 : FileEncoding::Windows1252;
    format.bom = utf8 && bom;
    if (!eol.isEmpty())
        format.eol = eol;
    return format;
}
