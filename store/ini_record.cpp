#include "ini_record.h"

#include "name_match.h"

QByteArrayView IniRecord::keyBytes() const
{
    return QByteArrayView(arena().bytes()).sliced(qsizetype(m_keyStart), m_keyLength);
}

QByteArrayView IniRecord::valueBytes() const
{
    return QByteArrayView(arena().bytes()).sliced(qsizetype(m_keyStart) + m_keyLength + 1, m_valueLength);
}

QString IniRecord::key() const
{
    if (m_assigned) {
        if (const auto &own = arena().assigned(this); own.key)
            return *own.key;
    }
    return m_fromLine ? decodeText(keyBytes(), arena().encoding()) : QString();
}

void IniRecord::setKey(const QString &key)
{
    arena().assign(this).key = key;
    m_assigned = true;
}

QString IniRecord::value() const
{
    if (m_assigned) {
        const auto &own = arena().assigned(this);
        if (own.value)
            return *own.value;
        if (own.valueBytes)
            return decodeText(*own.valueBytes, arena().encoding());
    }
    return m_fromLine ? decodeText(valueBytes(), arena().encoding()) : QString();
}

void IniRecord::setValue(const QString &value)
{
    auto &own = arena().assign(this);
    own.value = value;
    own.valueBytes.reset();
    m_assigned = true;
}

void IniRecord::setValueFrom(const IniRecord &other)
{
    QByteArrayView key;
    QByteArrayView value;
    if (&other.arena() != &arena() || !other.textBytes(key, value)) {
        setValue(other.value());
        return;
    }
    auto &own = arena().assign(this);
    own.value.reset();
    own.valueBytes = value;
    m_assigned = true;
}

bool IniRecord::textBytes(QByteArrayView &key, QByteArrayView &value) const
{
    if (!m_fromLine)
        return false;
    key = keyBytes();
    if (!m_assigned) {
        value = valueBytes();
        return true;
    }
    const auto &own = arena().assigned(this);
    if (own.key || own.value || !own.valueBytes)
        return false;
    value = *own.valueBytes;
    return true;
}

bool IniRecord::keyIsEmpty() const
{
    if (m_assigned) {
        if (const auto &own = arena().assigned(this); own.key)
            return own.key->isEmpty();
    }
    return !m_fromLine || m_keyLength == 0;
}

bool IniRecord::keyMatches(const UpperMatcher &matcher) const
{
    if (m_assigned) {
        if (const auto &own = arena().assigned(this); own.key)
            return matcher.matches(*own.key);
    }
    if (!m_fromLine)
        return matcher.upper().isEmpty();
    return matcher.matchesBytes(keyBytes(), arena().encoding());
}

bool IniRecord::loadedBytes(QByteArrayView &key, QByteArrayView &value, TextEncoding &encoding) const
{
    if (!textBytes(key, value))
        return false;
    encoding = arena().encoding();
    return true;
}

bool IniRecord::loadedBytes(TextEncoding encoding, QByteArrayView &key, QByteArrayView &value) const
{
    return arena().encoding() == encoding && textBytes(key, value);
}
