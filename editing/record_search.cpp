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

namespace {
RecordIdentity identityAt(const QList<IniRecord *> &list, qsizetype position)
{
    const IniRecord &record = *list[position];
    RecordIdentity identity{record.section(), record.key(), 0};
    // Only the keys of the record's own section are decoded: records of one
    // list share their section's text.
    for (qsizetype i = 0; i < position; ++i)
        if (list[i]->sectionIdentity() == record.sectionIdentity() && list[i]->key() == identity.key)
            ++identity.occurrence;
    return identity;
}

// The place of the record `identity` names in `list`, or -1.
qsizetype placeOf(const QList<IniRecord *> &list, const RecordIdentity &identity)
{
    if (identity.occurrence < 0)
        return -1;
    qsizetype seen = 0;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const IniRecord &record = *list[i];
        if (record.sectionSize() != identity.section.size() || record.section() != identity.section
            || record.key() != identity.key)
            continue;
        if (seen++ == identity.occurrence)
            return i;
    }
    return -1;
}
} // namespace

void rememberHit(FindState &state, const IniStore &store, qsizetype position)
{
    const QList<IniRecord *> &list = store.records()->records();
    state.lastFoundId = list[position]->id();
    state.fileName = store.fileName();
    state.loadCount = store.loadCount();
    state.position = position;
    state.hit = identityAt(list, position);
    state.before = position > 0 ? identityAt(list, position - 1) : RecordIdentity();
}

void followHit(FindState &state, const IniStore &store)
{
    if (state.lastFoundId == 0 || state.loadCount == store.loadCount())
        return;
    state.loadCount = store.loadCount();
    if (state.fileName != store.fileName()) {
        // Nothing of the hit is looked for in another file, now or after.
        state.fileName = store.fileName();
        state.hit = state.before = RecordIdentity();
        return;
    }
    if (state.hit.occurrence < 0)
        return;
    const QList<IniRecord *> &list = store.records()->records();
    if (const qsizetype hit = placeOf(list, state.hit); hit >= 0) {
        state.lastFoundId = list[hit]->id();
        state.position = hit;
        return;
    }
    // The hit is gone: the search goes on behind the record that was before
    // it, else from the hit's old place in the list.
    qsizetype before = placeOf(list, state.before);
    if (before < 0)
        before = std::min(state.position, list.size()) - 1;
    state.lastFoundId = before >= 0 ? list[before]->id() : 0;
    state.position = before + 1;
}
