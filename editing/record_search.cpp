#include "record_search.h"

#include "name_match.h"
#include "text_helpers.h"

#include <algorithm>

namespace {

// A search prepared once per run: the text's ASCII bytes when it has only
// ASCII, so that fields of ASCII bytes are searched without decoding them.
struct Needle {
    explicit Needle(const SearchOptions &o)
        : options(o), ascii(isAscii(QStringView(o.text))), bytes(ascii ? o.text.toLatin1() : QByteArray()),
          sensitivity(o.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive)
    {}

    // Whether the field's bytes may hold the text: false only when certain it does not.
    bool mayMatch(QByteArrayView field) const
    {
        if (field.isEmpty())
            return false;
        // Bytes under 0x80 are the same characters in both encodings loaded
        // text is held in (a UTF-16 file's is held as UTF-8).
        if (!ascii || !isAscii(field))
            return true;
        return QLatin1StringView(field).indexOf(QLatin1StringView(bytes), 0, sensitivity) >= 0;
    }

    const SearchOptions &options;
    bool ascii;
    QByteArray bytes;
    Qt::CaseSensitivity sensitivity;
};

} // namespace

bool fieldMatches(QStringView field, const SearchOptions &options)
{
    const QString &text = options.text;
    if (field.isEmpty() || text.isEmpty())
        return false;
    const Qt::CaseSensitivity cs = options.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const qsizetype p = field.indexOf(text, 0, cs);
    if (p < 0)
        return false;
    if (!options.matchWholeString)
        return true;
    // The first occurrence, and the n + 1 characters from the one before it
    // (or from the field's start), blanks trimmed, must be the same text.
    const qsizetype n = text.size();
    const qsizetype s = p > 0 ? p - 1 : 0;
    const QString trimmed = trimBlanks(field.mid(s, n + 1).toString());
    const QStringView found = field.mid(p, n);
    if (options.matchCase)
        return found == trimmed;
    return upperName(found) == upperName(trimmed);
}

qsizetype findNextRecord(const RecordList &records, const SearchOptions &options, qint32 lastFoundId, qsizetype from)
{
    const Needle needle(options);
    const QList<IniRecord *> &list = records.records();
    for (qsizetype i = std::max<qsizetype>(from, 0); i < list.size(); ++i) {
        const IniRecord &record = *list[i];
        if (record.id() <= lastFoundId)
            continue;
        QByteArrayView keyBytes;
        QByteArrayView valueBytes;
        TextEncoding encoding;
        const bool loaded = record.loadedBytes(keyBytes, valueBytes, encoding);
        const bool headerRecord = loaded ? keyBytes.isEmpty() : record.key().isEmpty();

        if (options.sections && headerRecord && fieldMatches(record.section(), options))
            return i;
        if (options.keys && (!loaded || needle.mayMatch(keyBytes)) && fieldMatches(record.key(), options))
            return i;
        if (options.values && (!loaded || needle.mayMatch(valueBytes)) && fieldMatches(record.value(), options))
            return i;
    }
    return -1;
}
