#include "profile_builder.h"

#include "name_match.h"

#include <algorithm>
#include <cstring>

namespace {
inline unsigned char asciiUpper(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
}
} // namespace

bool operator==(const ProfileBuilder::NameRef &a, const ProfileBuilder::NameRef &b) noexcept
{
    if (a.hash != b.hash || a.section != b.section || a.size != b.size)
        return false;
    for (qint32 i = 0; i < a.size; ++i)
        if (asciiUpper(static_cast<unsigned char>(a.data[i])) != asciiUpper(static_cast<unsigned char>(b.data[i])))
            return false;
    return true;
}

namespace {
// FNV-1a over the upper-cased bytes, so that equal names hash alike, then
// the section and a final mix that spreads every input bit over the whole
// hash. The table's slot comes from the low bits: without the mix, equal key
// names of different sections (every section has its "enabled", "path"…)
// would share a slot and pile up in one long probe run.
size_t nameHash(qint32 section, QByteArrayView name)
{
    quint64 h = 1469598103934665603ull;
    for (const char c : name) {
        h ^= asciiUpper(static_cast<unsigned char>(c));
        h *= 1099511628211ull;
    }
    h ^= quint64(quint32(section)) * 0x9E3779B97F4A7C15ull;
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return size_t(h);
}
} // namespace

void ProfileBuilder::NameTable::reserve(qsizetype names)
{
    m_entries.reserve(size_t(names));
    size_t slots = 16;
    while (slots < size_t(names) * 2)
        slots *= 2;
    if (slots > m_slots.size())
        rehash(slots);
}

qsizetype ProfileBuilder::NameTable::find(const NameRef &name) const
{
    if (m_slots.empty())
        return -1;
    const size_t mask = m_slots.size() - 1;
    const auto tag = quint32(name.hash >> 32);
    for (size_t i = name.hash & mask;; i = (i + 1) & mask) {
        const Slot &slot = m_slots[i];
        if (slot.entry < 0)
            return -1;
        if (slot.tag == tag && m_entries[size_t(slot.entry)].name == name)
            return m_entries[size_t(slot.entry)].line;
    }
}

void ProfileBuilder::NameTable::insert(const NameRef &name, qsizetype line)
{
    // At most half full, so that probes stay short.
    if ((m_entries.size() + 1) * 2 > m_slots.size())
        rehash(std::max<size_t>(16, m_slots.size() * 2));
    m_entries.push_back(Entry{name, line});
    place(m_entries.size() - 1);
}

void ProfileBuilder::NameTable::rehash(size_t slots)
{
    m_slots.assign(slots, Slot{});
    for (size_t e = 0; e < m_entries.size(); ++e)
        place(e);
}

void ProfileBuilder::NameTable::place(size_t entry)
{
    const NameRef &name = m_entries[entry].name;
    const size_t mask = m_slots.size() - 1;
    size_t i = name.hash & mask;
    while (m_slots[i].entry >= 0)
        i = (i + 1) & mask;
    m_slots[i] = Slot{quint32(name.hash >> 32), qint32(entry)};
}

ProfileBuilder::ProfileBuilder(TextFormat format) : m_format(std::move(format))
{
    m_sections.append(Section{});
}

void ProfileBuilder::reserve(qsizetype lines)
{
    m_lines.reserve(lines);
    m_lineByName.reserve(lines);
}

QByteArrayView ProfileBuilder::keep(QByteArray bytes)
{
    m_kept.append(std::move(bytes));
    return m_kept.last();
}

qsizetype ProfileBuilder::sectionFor(const QString &name)
{
    // Consecutive writes nearly always share one section string.
    if (name.constData() == m_lastSectionName.constData() && name.size() == m_lastSectionName.size())
        return m_lastSection;
    qsizetype index = 0;
    if (!name.isEmpty()) {
        const QByteArray upper = upperName(name).toUtf8();
        const auto found = m_sectionByUpperName.constFind(upper);
        if (found != m_sectionByUpperName.constEnd()) {
            index = *found;
        } else {
            index = m_sections.size();
            m_sectionByUpperName.insert(upper, index);
            m_sections.append(Section{encodeText(name, m_format.encoding()), {}});
        }
    }
    m_lastSectionName = name;
    m_lastSection = index;
    return index;
}

ProfileBuilder::NameRef ProfileBuilder::nameRef(qint32 section, QByteArrayView name)
{
    if (!isAscii(name))
        name = keep(decodeText(name, m_format.encoding()).toUpper().toUtf8());
    return NameRef{section, qint32(name.size()), name.data(), nameHash(section, name)};
}

qsizetype ProfileBuilder::write(const QString &section, QByteArrayView key, QByteArrayView value, qsizetype tag)
{
    const auto sectionIndex = qint32(sectionFor(section));
    const qsizetype eq = key.indexOf('=');
    if (eq < 0) {
        const NameRef name = nameRef(sectionIndex, key);
        const qsizetype found = m_lineByName.find(name);
        if (found >= 0) {
            Line &line = m_lines[found];
            line.value = value;
            // A line made by a key holding "=" was nobody's write under this name.
            if (line.tag < 0) {
                line.tag = tag;
                return -1;
            }
            return line.tag;
        }
        m_lineByName.insert(name, m_lines.size());
        m_sections[sectionIndex].lines.append(m_lines.size());
        m_lines.append(Line{key, value, tag});
        return -1;
    }
    // A key holding "=" reads back split at its first "=": no later write
    // finds the line under the key written, only under that shorter key.
    QByteArray rest = key.sliced(eq + 1).toByteArray();
    rest.append('=').append(value);
    const QByteArrayView readKey = key.first(eq);
    const NameRef name = nameRef(sectionIndex, readKey);
    if (m_lineByName.find(name) < 0)
        m_lineByName.insert(name, m_lines.size());
    m_sections[sectionIndex].lines.append(m_lines.size());
    m_lines.append(Line{readKey, keep(std::move(rest)), -1});
    return -1;
}

qsizetype ProfileBuilder::write(const QString &section, const QString &key, const QString &value, qsizetype tag)
{
    const QByteArrayView k = keep(encodeText(key, m_format.encoding()));
    const QByteArrayView v = keep(encodeText(value, m_format.encoding()));
    return write(section, k, v, tag);
}

QByteArray ProfileBuilder::bytes() const
{
    qsizetype size = m_format.bomLength();
    for (const Line &line : m_lines)
        size += line.key.size() + line.value.size() + 1 + m_format.eol.size();
    for (const Section &section : m_sections)
        size += section.header.size() + 2 + m_format.eol.size();

    QByteArray out;
    out.reserve(size);
    out.append(m_format.bomBytes());
    for (qsizetype s = 0; s < m_sections.size(); ++s) {
        const Section &section = m_sections[s];
        if (s > 0)
            out.append('[').append(section.header).append(']').append(m_format.eol);
        for (const qsizetype index : section.lines) {
            const Line &line = m_lines[index];
            out.append(line.key).append('=').append(line.value).append(m_format.eol);
        }
    }
    return out;
}
