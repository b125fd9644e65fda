#include "platform/profile_builder.h"

#include "platform/name_match.h"

ProfileBuilder::ProfileBuilder(TextFormat format) : m_format(std::move(format)) {}

ProfileBuilder::Section &ProfileBuilder::sectionFor(const QString &name)
{
    if (name.isEmpty())
        return m_top;
    const QString upper = upperName(name);
    const auto found = m_sectionByUpperName.constFind(upper);
    if (found != m_sectionByUpperName.constEnd())
        return m_sections[*found];
    m_sectionByUpperName.insert(upper, m_sections.size());
    m_sections.append(Section{name, {}, {}});
    return m_sections.last();
}

void ProfileBuilder::write(const QString &section, const QString &key, const QString &value)
{
    Section &target = sectionFor(section);
    const auto found = target.lineByUpperKey.constFind(upperName(key));
    if (found != target.lineByUpperKey.constEnd()) {
        target.lines[*found].value = value;
        return;
    }
    // A key holding "=" reads back split at its first "=": later writes find
    // the line under that shorter key, never under the one written.
    Line line{key, value};
    const qsizetype eq = key.indexOf(QLatin1Char('='));
    if (eq >= 0) {
        line.key = key.first(eq);
        line.value = key.sliced(eq + 1) + QLatin1Char('=') + value;
    }
    const QString upperKey = upperName(line.key);
    if (!target.lineByUpperKey.contains(upperKey))
        target.lineByUpperKey.insert(upperKey, target.lines.size());
    target.lines.append(std::move(line));
}

QByteArray ProfileBuilder::bytes() const
{
    QByteArray out = m_format.bomBytes();
    const auto appendLines = [&](const Section &section) {
        for (const Line &line : section.lines) {
            out.append(encodeText(line.key, m_format.encoding));
            out.append('=');
            out.append(encodeText(line.value, m_format.encoding));
            out.append(m_format.eol);
        }
    };
    appendLines(m_top);
    for (const Section &section : m_sections) {
        out.append('[').append(encodeText(section.header, m_format.encoding)).append(']').append(m_format.eol);
        appendLines(section);
    }
    return out;
}
