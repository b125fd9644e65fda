#include "cls_ini.h"

#include "name_match.h"

QByteArrayView clsINI::keyBytes() const
{
    return QByteArrayView(arena().bytes()).sliced(qsizetype(m_keyStart), m_keyLength);
}

QByteArrayView clsINI::valueBytes() const
{
    return QByteArrayView(arena().bytes()).sliced(qsizetype(m_keyStart) + m_keyLength + 1, m_valueLength);
}

QString clsINI::Key() const
{
    if (m_assigned) {
        if (const auto &own = arena().assigned(this); own.key)
            return *own.key;
    }
    return m_fromLine ? decodeText(keyBytes(), arena().encoding()) : QString();
}

void clsINI::setKey(const QString &key)
{
    arena().assign(this).key = key;
    m_assigned = true;
}

QString clsINI::Value() const
{
    if (m_assigned) {
        if (const auto &own = arena().assigned(this); own.value)
            return *own.value;
    }
    return m_fromLine ? decodeText(valueBytes(), arena().encoding()) : QString();
}

void clsINI::setValue(const QString &value)
{
    arena().assign(this).value = value;
    m_assigned = true;
}

bool clsINI::keyIsEmpty() const
{
    if (m_assigned) {
        if (const auto &own = arena().assigned(this); own.key)
            return own.key->isEmpty();
    }
    return !m_fromLine || m_keyLength == 0;
}

bool clsINI::keyMatches(const UpperMatcher &matcher) const
{
    if (m_assigned) {
        if (const auto &own = arena().assigned(this); own.key)
            return matcher.matches(*own.key);
    }
    if (!m_fromLine)
        return matcher.upper().isEmpty();
    return matcher.matchesBytes(keyBytes(), arena().encoding());
}

bool clsINI::loadedBytes(QByteArrayView &key, QByteArrayView &value, TextEncoding &encoding) const
{
    if (!hasLoadedText())
        return false;
    encoding = arena().encoding();
    key = keyBytes();
    value = valueBytes();
    return true;
}

bool clsINI::loadedBytes(TextEncoding encoding, QByteArrayView &key, QByteArrayView &value) const
{
    if (!hasLoadedText() || arena().encoding() != encoding)
        return false;
    key = keyBytes();
    value = valueBytes();
    return true;
}
