#include "profile_builder.h"

#include "huge_pages.h"
#include "name_match.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {
inline unsigned char asciiUpper(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
}
} // namespace

namespace {
bool sameName(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (asciiUpper(static_cast<unsigned char>(a[i])) != asciiUpper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Eight bytes at a time with their ASCII letters upper-cased (bytes from
// 0x80 up stay as they are), so that equal names hash alike, each word
// mixed in by a multiplication; then a final mix that spreads every input
// bit over the whole hash, whose upper half both places a name in its
// section's table and tells names apart before their bytes are compared.
quint64 upperWord(quint64 w)
{
    constexpr quint64 ones = 0x0101010101010101ull;
    constexpr quint64 highs = 0x8080808080808080ull;
    const quint64 low7 = w & ~highs;
    const quint64 fromA = low7 + ones * (0x80 - 'a'); // high bit: byte >= 'a'
    const quint64 pastZ = low7 + ones * (0x80 - 'z' - 1); // high bit: byte > 'z'
    const quint64 letters = fromA & ~pastZ & ~w & highs;
    return w ^ (letters >> 2);
}

quint32 nameHash(QByteArrayView name)
{
    quint64 h = 0x9E3779B97F4A7C15ull ^ quint64(name.size());
    const char *p = name.data();
    qsizetype left = name.size();
    for (; left >= 8; left -= 8, p += 8) {
        quint64 w;
        std::memcpy(&w, p, 8);
        h = (h ^ upperWord(w)) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 29;
    }
    if (left > 0) {
        quint64 w = 0;
        std::memcpy(&w, p, size_t(left));
        h = (h ^ upperWord(w)) * 0xFF51AFD7ED558CCDull;
    }
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return quint32(h >> 32);
}
} // namespace

QByteArrayView ProfileBuilder::nameOf(qint32 line) const
{
    if (!m_upperNames.isEmpty()) {
        const auto found = m_upperNames.constFind(line);
        if (found != m_upperNames.constEnd())
            return *found;
    }
    return QByteArrayView(m_lines[line].key, m_lines[line].keySize);
}

qsizetype ProfileBuilder::findLine(const Section &section, const NameRef &name) const
{
    if (section.slotCount == 0)
        return -1;
    const quint64 *slots = m_slots.data() + section.slotsAt;
    const quint32 mask = section.slotCount - 1;
    for (quint32 i = name.hash & mask;; i = (i + 1) & mask) {
        const quint64 slot = slots[i];
        if (slot == 0)
            return -1;
        const auto line = qint32(quint32(slot) - 1);
        if (quint32(slot >> 32) == name.hash && sameName(nameOf(line), name.bytes))
            return line;
    }
}

void ProfileBuilder::growTable(Section &section, size_t names)
{
    quint32 count = std::max<quint32>(8, section.slotCount);
    while (names * 2 > count)
        count *= 2;
    if (count == section.slotCount)
        return;
    // The table of the section being written is nearly always the last one:
    // it grows where it is, and nothing is left behind.
    const auto oldBegin = m_slots.begin() + qsizetype(section.slotsAt);
    m_grown.assign(oldBegin, oldBegin + section.slotCount);
    if (section.slotsAt + section.slotCount == m_slots.size())
        std::fill_n(oldBegin, section.slotCount, 0);
    else
        section.slotsAt = m_slots.size();
    section.slotCount = count;
    // What the pool gains is zero already.
    m_slots.resize(std::max(m_slots.size(), section.slotsAt + section.slotCount));
    for (const quint64 slot : m_grown)
        if (slot != 0)
            place(section, slot);
}

void ProfileBuilder::expectNames(const QString &section, qsizetype names)
{
    // A section is made by its first write, not before: the file holds
    // sections in the order they were first written, and none without keys.
    QByteArray upper = sectionKey(section);
    const auto found = section.isEmpty() ? 0 : m_sectionByUpperName.value(upper, -1);
    if (found >= 0) {
        Section &target = m_sections[found];
        if (target.slotCount == 0 && target.names > 0)
            restoreTable(target);
        growTable(target, target.names + size_t(names));
        return;
    }
    m_expectedSection = section;
    m_expectedKey = std::move(upper);
    m_expectedNames = names;
}

void ProfileBuilder::prefetch(QByteArrayView key) const
{
    // Small tables stay in the processor's cache anyway.
    constexpr quint32 kLargeTable = 1u << 15;
    const Section &section = m_sections[m_lastSection];
    if (section.slotCount < kLargeTable || !isAscii(key))
        return;
    __builtin_prefetch(m_slots.data() + section.slotsAt + (nameHash(key) & (section.slotCount - 1)));
}

void ProfileBuilder::endSection(const QString &section)
{
    if (section.constData() != m_lastSectionName.constData() || section.size() != m_lastSectionName.size())
        return;
    Section &target = m_sections[m_lastSection];
    if (target.restored || target.slotCount == 0 || target.slotsAt + target.slotCount != m_slots.size())
        return;
    m_slots.resize(target.slotsAt);
    target.slotsAt = m_slots.size();
    target.slotCount = 0;
}

void ProfileBuilder::restoreTable(Section &section)
{
    const quint32 names = section.names;
    section.restored = true;
    section.names = 0;
    growTable(section, names);
    for (qint32 line = section.firstLine; line >= 0; line = m_lines[line].next) {
        if (m_unnamedLines.contains(line))
            continue;
        const QByteArrayView name = nameOf(line);
        place(section, quint64(nameHash(name)) << 32 | quint32(line + 1));
        ++section.names;
    }
}

void ProfileBuilder::addName(Section &section, const NameRef &name, qsizetype line)
{
    if ((section.names + 1) * 2 > section.slotCount)
        growTable(section, std::max<size_t>(section.names + 1, section.slotCount));
    if (name.bytes.data() != m_lines[line].key)
        m_upperNames.insert(qint32(line), name.bytes);
    place(section, quint64(name.hash) << 32 | quint32(line + 1));
    ++section.names;
}

void ProfileBuilder::place(const Section &section, quint64 slot)
{
    quint64 *slots = m_slots.data() + section.slotsAt;
    const quint32 mask = section.slotCount - 1;
    quint32 i = quint32(slot >> 32) & mask;
    while (slots[i] != 0)
        i = (i + 1) & mask;
    slots[i] = slot;
}

void ProfileBuilder::addLine(Section &section, QByteArrayView key, QByteArrayView value, qsizetype tag)
{
    const auto index = qint32(m_lines.size());
    m_lines.append(Line{key.data(), value.data(), qint32(key.size()), qint32(value.size()), qint32(tag)});
    if (section.lastLine < 0)
        section.firstLine = index;
    else
        m_lines[section.lastLine].next = index;
    section.lastLine = index;
}

ProfileBuilder::ProfileBuilder(TextFormat format) : m_format(std::move(format))
{
    m_sections.append(Section{});
}

void ProfileBuilder::reserve(qsizetype lines)
{
    m_lines.reserve(lines);
    adviseHugePages(m_lines);
    // Tables are at most half full, and the last one may have just doubled.
    m_slots.reserve(size_t(lines) * 4 + 64);
    adviseHugePages(m_slots);
}

QByteArrayView ProfileBuilder::keep(QByteArray bytes)
{
    m_kept.append(std::move(bytes));
    return m_kept.last();
}

// The key of a section in m_sectionByUpperName: its name upper-cased, in
// UTF-8. Most names are ASCII, upper-cased here in one pass.
QByteArray ProfileBuilder::sectionKey(const QString &name)
{
    QByteArray key(name.size(), Qt::Uninitialized);
    char *out = key.data();
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u >= 0x80)
            return upperName(name).toUtf8();
        *out++ = char(u >= 'a' && u <= 'z' ? u - ('a' - 'A') : u);
    }
    return key;
}

qsizetype ProfileBuilder::sectionFor(const QString &name)
{
    // Consecutive writes nearly always share one section string.
    if (name.constData() == m_lastSectionName.constData() && name.size() == m_lastSectionName.size())
        return m_lastSection;
    qsizetype index = 0;
    if (!name.isEmpty()) {
        const bool expected =
            name.constData() == m_expectedSection.constData() && name.size() == m_expectedSection.size();
        const QByteArray upper = expected ? m_expectedKey : sectionKey(name);
        const auto found = m_sectionByUpperName.constFind(upper);
        if (found != m_sectionByUpperName.constEnd()) {
            index = *found;
        } else {
            index = m_sections.size();
            m_sectionByUpperName.insert(upper, index);
            m_sections.append(Section{encodeText(name, m_format.encoding())});
            if (expected)
                growTable(m_sections.last(), size_t(m_expectedNames));
        }
    }
    m_lastSectionName = name;
    m_lastSection = index;
    return index;
}

ProfileBuilder::NameRef ProfileBuilder::nameRef(QByteArrayView name)
{
    if (!isAscii(name))
        name = keep(decodeText(name, m_format.encoding()).toUpper().toUtf8());
    return NameRef{name, nameHash(name)};
}

qsizetype ProfileBuilder::write(const QString &section, QByteArrayView key, QByteArrayView value, qsizetype tag)
{
    const auto sectionIndex = qint32(sectionFor(section));
    if (m_sections[sectionIndex].slotCount == 0 && m_sections[sectionIndex].names > 0)
        restoreTable(m_sections[sectionIndex]);
    const qsizetype eq = key.indexOf('=');
    if (eq < 0) {
        const NameRef name = nameRef(key);
        const qsizetype found = findLine(m_sections[sectionIndex], name);
        if (found >= 0) {
            Line &line = m_lines[found];
            line.value = value.data();
            line.valueSize = qint32(value.size());
            // A line made by a key holding "=" was nobody's write under this name.
            if (line.tag < 0) {
                line.tag = qint32(tag);
                return -1;
            }
            return line.tag;
        }
        Section &target = m_sections[sectionIndex];
        addLine(target, key, value, tag);
        addName(target, name, m_lines.size() - 1);
        return -1;
    }
    // A key holding "=" reads back split at its first "=": no later write
    // finds the line under the key written, only under that shorter key.
    QByteArray rest = key.sliced(eq + 1).toByteArray();
    rest.append('=').append(value);
    const QByteArrayView readKey = key.first(eq);
    const NameRef name = nameRef(readKey);
    Section &target = m_sections[sectionIndex];
    const bool named = findLine(target, name) >= 0;
    addLine(target, readKey, keep(std::move(rest)), -1);
    if (!named)
        addName(target, name, m_lines.size() - 1);
    else
        m_unnamedLines.insert(qint32(m_lines.size() - 1));
    return -1;
}

qsizetype ProfileBuilder::write(const QString &section, const QString &key, const QString &value, qsizetype tag)
{
    const QByteArrayView k = keep(encodeText(key, m_format.encoding()));
    const QByteArrayView v = keep(encodeText(value, m_format.encoding()));
    return write(section, k, v, tag);
}

template <typename Put>
void ProfileBuilder::forEachPiece(Put &&put) const
{
    const QByteArrayView eol(m_format.eol);
    if (!put(m_format.bomBytes()))
        return;
    for (qsizetype s = 0; s < m_sections.size(); ++s) {
        const Section &section = m_sections[s];
        // Section "" (the first) has no header line.
        if (s > 0 && !(put(QByteArrayView("[", 1)) && put(section.header) && put(QByteArrayView("]", 1)) && put(eol)))
            return;
        for (qint32 index = section.firstLine; index >= 0; index = m_lines[index].next) {
            const Line &line = m_lines[index];
            if (!(put(QByteArrayView(line.key, line.keySize)) && put(QByteArrayView("=", 1))
                  && put(QByteArrayView(line.value, line.valueSize)) && put(eol)))
                return;
        }
    }
}

qsizetype ProfileBuilder::size() const
{
    const qsizetype eol = m_format.eol.size();
    qsizetype size = m_format.bomLength();
    for (const Line &line : m_lines)
        size += line.keySize + line.valueSize + 1 + eol;
    for (qsizetype s = 1; s < m_sections.size(); ++s)
        size += m_sections[s].header.size() + 2 + eol;
    return size;
}

QByteArray ProfileBuilder::bytes() const
{
    // Sized once and filled in place: a million appends would each check
    // and grow the array.
    const qsizetype size = this->size();
    QByteArray out(size, Qt::Uninitialized);
    adviseHugePages(out.data(), size_t(size));
    char *to = out.data();
    forEachPiece([&to](QByteArrayView bytes) {
        if (!bytes.isEmpty())
            std::memcpy(to, bytes.data(), size_t(bytes.size()));
        to += bytes.size();
        return true;
    });
    Q_ASSERT(to == out.data() + out.size());
    return out;
}

void ProfileBuilder::writeTo(OutputBuffer &out) const
{
    forEachPiece([&out](QByteArrayView bytes) {
        out.put(bytes);
        return true;
    });
    out.flush();
}

QByteArray ProfileBuilder::opening(qsizetype count) const
{
    QByteArray out;
    forEachPiece([&](QByteArrayView bytes) {
        out.append(bytes.first(std::min(bytes.size(), count - out.size())));
        return out.size() < count;
    });
    return out;
}
