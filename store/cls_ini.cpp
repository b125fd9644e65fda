#include "cls_ini.h"

#include "name_match.h"

QByteArrayView clsINI::keyBytes() const
{
    if (!m_text)
        return {};
    return QByteArrayView(m_text->bytes).sliced(m_keyStart, m_keyLength);
}

QByteArrayView clsINI::valueBytes() const
{
    if (!m_text)
        return {};
    return QByteArrayView(m_text->bytes).sliced(m_keyStart + m_keyLength + 1, m_valueLength);
}

QString clsINI::Key() const
{
    if (m_own && m_own->key)
        return *m_own->key;
    return m_text ? decodeText(keyBytes(), m_text->encoding) : QString();
}

void clsINI::setKey(const QString &key)
{
    if (!m_own)
        m_own = std::make_unique<OwnTexts>();
    m_own->key = key;
}

QString clsINI::Value() const
{
    if (m_own && m_own->value)
        return *m_own->value;
    return m_text ? decodeText(valueBytes(), m_text->encoding) : QString();
}

void clsINI::setValue(const QString &value)
{
    if (!m_own)
        m_own = std::make_unique<OwnTexts>();
    m_own->value = value;
}

bool clsINI::keyIsEmpty() const
{
    if (m_own && m_own->key)
        return m_own->key->isEmpty();
    return !m_text || m_keyLength == 0;
}

bool clsINI::keyMatches(const UpperMatcher &matcher) const
{
    if (m_own && m_own->key)
        return matcher.matches(*m_own->key);
    if (!m_text)
        return matcher.upper().isEmpty();
    return matcher.matchesBytes(keyBytes(), m_text->encoding);
}

std::shared_ptr<clsINI> clsINI::fromLine(std::shared_ptr<const LoadedText> text, const QString &section,
                                         qsizetype keyStart, qint32 keyLength, qint32 valueLength, qint32 id)
{
    auto record = std::make_shared<clsINI>();
    record->m_text = std::move(text);
    record->m_section = section;
    record->m_keyStart = keyStart;
    record->m_keyLength = keyLength;
    record->m_valueLength = valueLength;
    record->m_id = id;
    return record;
}

bool clsINI::loadedBytes(QByteArrayView &key, QByteArrayView &value, TextEncoding &encoding) const
{
    if (!m_text || m_own)
        return false;
    encoding = m_text->encoding;
    key = keyBytes();
    value = valueBytes();
    return true;
}

bool clsINI::loadedBytes(TextEncoding encoding, QByteArrayView &key, QByteArrayView &value) const
{
    if (!m_text || m_text->encoding != encoding || m_own)
        return false;
    key = keyBytes();
    value = valueBytes();
    return true;
}
