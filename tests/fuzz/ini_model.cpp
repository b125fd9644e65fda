#include "ini_model.h"

#include "reference_encodings.h"

#include <QStringDecoder>

#include <algorithm>

namespace model {
namespace {

const QByteArray kUtf8Mark = QByteArrayLiteral("\xEF\xBB\xBF");

// UTF-8 with every U+FEFF kept (QString::fromUtf8 drops one at the start).
QString fromUtf8(QByteArrayView bytes)
{
    QString text;
    while (bytes.startsWith(kUtf8Mark)) {
        text += QChar(0xFEFF);
        bytes = bytes.sliced(3);
    }
    return text + QString::fromUtf8(bytes);
}

bool hasLoneSurrogate(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return true;
    }
    return false;
}

// UTF-16 as the program reads it: an unpaired surrogate comes out as "?"
// and an odd last byte as U+FFFD (Qt's conversions); either makes the file
// one that is never written.
QString fromUtf16(const QByteArray &bytes, bool bigEndian, bool &exact, qsizetype from = 2)
{
    QString units;
    for (qsizetype i = from; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        units += QChar(char16_t(bigEndian ? (a << 8 | b) : (b << 8 | a)));
    }
    QString text;
    exact = bytes.size() % 2 == 0;
    for (qsizetype i = 0; i < units.size(); ++i) {
        if (units[i].isHighSurrogate() && i + 1 < units.size() && units[i + 1].isLowSurrogate()) {
            text += units[i];
            text += units[++i];
        } else if (units[i].isSurrogate()) {
            text += QLatin1Char('?');
            exact = false;
        } else {
            text += units[i];
        }
    }
    if (bytes.size() % 2)
        text += QChar(0xFFFD);
    return text;
}

// UTF-16 without a mark: in the first 256 bytes (an even count, at least
// four) every byte at odd places is NUL and no other (1), or the other way
// round (0); -1 when neither.
int unmarkedUtf16Nul(const QByteArray &bytes)
{
    const qsizetype size = std::min<qsizetype>(bytes.size(), 256) / 2 * 2;
    for (int nulAt = 1; size >= 4 && nulAt >= 0; --nulAt) {
        bool all = true;
        for (qsizetype i = 0; i < size; ++i)
            if ((bytes[i] == '\0') != (i % 2 == nulAt))
                all = false;
        if (all)
            return nulAt;
    }
    return -1;
}

void appendLineWithEol(Text &text, const QString &eol, const QString &line)
{
    if (!text.lines.isEmpty() && text.lines.last().eol.isEmpty())
        text.lines.last().eol = eol;
    text.lines.append({line, eol});
}

QList<Line> splitLines(const QString &text)
{
    QList<Line> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('\r') && text[i] != QLatin1Char('\n'))
            continue;
        const qsizetype eolLength =
            (text[i] == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ? 2 : 1;
        lines.append({text.mid(start, i - start), text.mid(i, eolLength)});
        i += eolLength - 1;
        start = i + 1;
    }
    if (start < text.size())
        lines.append({text.mid(start), QString()});
    return lines;
}

void setValueWithEol(Text &text, const QString &eol, const QString &section, const QString &key, const QString &value)
{
    QList<Line> &lines = text.lines;
    // Section "" is the stretch before the first header.
    bool inSection = section.isEmpty();
    bool firstOccurrence = inSection;
    bool found = inSection;
    qsizetype insertAt = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines[i].text;
        if (isHeader(line)) {
            firstOccurrence = false;
            inSection = sameName(line.mid(1, line.size() - 2), section);
            if (inSection && !found) {
                found = firstOccurrence = true;
                insertAt = i + 1;
            }
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || !inSection)
            continue;
        if (sameName(line.left(eq), key)) {
            lines[i].text = line.left(eq + 1) + value;
            return;
        }
        if (firstOccurrence)
            insertAt = i + 1;
    }
    if (!found) {
        appendLineWithEol(text, eol, QLatin1Char('[') + section + QLatin1Char(']'));
        insertAt = lines.size();
    } else if (insertAt > 0 && lines[insertAt - 1].eol.isEmpty()) {
        lines[insertAt - 1].eol = eol;
    }
    Line added{key + QLatin1Char('=') + value, eol};
    // A lone CR right before the LF of an empty line would join it into one
    // CR LF and swallow that line.
    if (added.eol == QLatin1String("\r") && insertAt < lines.size() && lines[insertAt].text.isEmpty()
        && lines[insertAt].eol == QLatin1String("\n"))
        added.eol = QStringLiteral("\r\n");
    lines.insert(insertAt, added);
}

} // namespace

QString Text::eol() const
{
    return lines.isEmpty() || lines.first().eol.isEmpty() ? QStringLiteral("\r\n") : lines.first().eol;
}

Text decode(const QByteArray &bytes)
{
    Text text;
    QString chars;
    const bool utf32LE = bytes.startsWith(QByteArrayView("\xFF\xFE\0\0", 4));
    if (utf32LE || bytes.startsWith(QByteArrayView("\0\0\xFE\xFF", 4))) {
        // Read, never written.
        text.encoding = utf32LE ? Encoding::Utf32LE : Encoding::Utf32BE;
        text.bom = true;
        text.exact = false;
        QStringDecoder decoder(utf32LE ? QStringConverter::Utf32LE : QStringConverter::Utf32BE,
                               QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        const QString decoded = decoder.decode(bytes.mid(4));
        // A code point past U+10FFFF comes out of the decoder as an unpaired
        // surrogate, which reads as '?' as in UTF-16.
        for (qsizetype i = 0; i < decoded.size(); ++i) {
            if (decoded[i].isHighSurrogate() && i + 1 < decoded.size() && decoded[i + 1].isLowSurrogate()) {
                chars += decoded[i];
                chars += decoded[++i];
            } else {
                chars += decoded[i].isSurrogate() ? QChar(u'?') : decoded[i];
            }
        }
    } else if (const int nulAt = unmarkedUtf16Nul(bytes); nulAt >= 0) {
        text.encoding = nulAt == 1 ? Encoding::Utf16LE : Encoding::Utf16BE;
        chars = fromUtf16(bytes, nulAt == 0, text.exact, 0);
        text.exact = false;
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool bigEndian = bytes.front() == '\xFE';
        text.encoding = bigEndian ? Encoding::Utf16BE : Encoding::Utf16LE;
        text.bom = true;
        chars = fromUtf16(bytes, bigEndian, text.exact);
    } else if (fromUtf8(bytes).toUtf8() == bytes) {
        text.bom = bytes.startsWith(kUtf8Mark);
        chars = fromUtf8(bytes).mid(text.bom ? 1 : 0);
    } else {
        text.encoding = Encoding::Windows1252;
        for (const char c : bytes)
            chars += referenceWindows1252Char(static_cast<unsigned char>(c));
    }
    text.lines = splitLines(chars);
    return text;
}

std::optional<QByteArray> encode(const Text &text)
{
    QString chars;
    for (const Line &line : text.lines)
        chars += line.text + line.eol;
    if (!text.exact || hasLoneSurrogate(chars))
        return std::nullopt;
    switch (text.encoding) {
    case Encoding::Utf8:
        return (text.bom ? kUtf8Mark : QByteArray()) + chars.toUtf8();
    case Encoding::Windows1252:
        return referenceFileBytes(chars, ReferenceEncoding::Windows1252);
    case Encoding::Utf16LE:
        return referenceFileBytes(chars, ReferenceEncoding::Utf16LE);
    case Encoding::Utf16BE:
        return referenceFileBytes(chars, ReferenceEncoding::Utf16BE);
    case Encoding::Utf32LE:
    case Encoding::Utf32BE:
        break;
    }
    return std::nullopt;
}

QList<Record> records(const Text &text)
{
    QList<Record> out;
    QString section;
    for (const Line &line : text.lines) {
        if (isHeader(line.text)) {
            section = line.text.mid(1, line.text.size() - 2);
            out.append({section, QString(), QString(), true});
        } else if (const qsizetype eq = line.text.indexOf(QLatin1Char('=')); eq >= 0) {
            out.append({section, line.text.left(eq), line.text.mid(eq + 1), false});
        }
    }
    return out;
}

// Upper-cased the one way the program does (Qt's in-place upper-casing of a
// temporary; the copying one keeps a lone surrogate that the other turns
// into U+FFFD once "ß" has become "SS").
QString upperName(const QString &text)
{
    return QString(text).toUpper();
}

bool sameName(const QString &a, const QString &b)
{
    return upperName(a) == upperName(b);
}

bool isHeader(const QString &line)
{
    return line.size() >= 2 && line.front() == QLatin1Char('[') && line.back() == QLatin1Char(']');
}

QString trimSpaces(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

bool refusedText(const QString &section, const QString &key, const QString &value)
{
    for (const QString &text : {section, key, value})
        if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')))
            return true;
    return key.contains(QLatin1Char('=')) || (key.startsWith(QLatin1Char('[')) && value.endsWith(QLatin1Char(']')));
}

void setValue(Text &text, const QString &section, const QString &key, const QString &value)
{
    setValueWithEol(text, text.eol(), section, key, value);
}

void appendLine(Text &text, const QString &line)
{
    appendLineWithEol(text, text.eol(), line);
}

std::optional<Text> rebuild(const Text &format, const QList<Record> &records)
{
    const auto storable = [&format](const QString &chars) {
        return encode(Text{format.encoding, false, true, {{chars, QString()}}}).has_value();
    };
    Text text{format.encoding, format.bom, format.exact, {}};
    const QString eol = format.eol();
    QStringList sections;
    for (const Record &record : records) {
        if (trimSpaces(record.key).isEmpty())
            continue;
        if (!storable(record.key) || !storable(record.value))
            return std::nullopt;
        if (!sections.contains(upperName(record.section))) {
            if (!storable(record.section))
                return std::nullopt;
            sections.append(upperName(record.section));
        }
        setValueWithEol(text, eol, record.section, record.key, record.value);
    }
    return text;
}

qsizetype findRecord(const QList<Record> &records, const QString &section, const QString &key)
{
    for (qsizetype i = 0; i < records.size(); ++i)
        if (sameName(records[i].section, section) && sameName(records[i].key, key))
            return i;
    return -1;
}

void copyDuplicateValues(QList<Record> &records)
{
    QList<qsizetype> firstOf(records.size(), -1);
    for (qsizetype i = 0; i < records.size(); ++i) {
        if (trimSpaces(records[i].key).isEmpty())
            continue;
        for (qsizetype j = 0; j < i && firstOf[i] < 0; ++j)
            if (firstOf[j] == j && sameName(records[j].section, records[i].section)
                && sameName(records[j].key, records[i].key))
                firstOf[i] = j;
        if (firstOf[i] < 0)
            firstOf[i] = i;
    }
    for (qsizetype i = 0; i < records.size(); ++i)
        if (firstOf[i] >= 0 && firstOf[i] != i)
            records[firstOf[i]].value = records[i].value;
}

std::optional<QStringList> sectionDeletionKeys(const QList<Record> &records, const QString &section)
{
    // Each record is a top-level node (its section) when its section differs
    // from the record before and no top-level node shows it yet, else a
    // child (its key) of the top-level node added last.
    QStringList tops;
    QStringList keys;
    bool shown = false;
    for (qsizetype i = 0; i < records.size(); ++i) {
        const Record &record = records[i];
        const bool changed = i == 0 || records[i - 1].section != record.section;
        if (changed && !tops.contains(record.section)) {
            tops.append(record.section);
            if (record.section == section) {
                keys.append(section);
                shown = true;
            }
        } else if (tops.last() == section) {
            keys.append(record.key);
        }
    }
    if (!shown)
        return std::nullopt;
    return keys;
}

} // namespace model
