#include "fuzz_input.h"

#include <QStringList>

namespace {

// Texts that sit on the edges of the file format and of the name matching.
const QStringList &awkwardTexts()
{
    static const QStringList texts = {
        QString(),
        QStringLiteral(" "),
        QStringLiteral("  "),
        QStringLiteral("="),
        QStringLiteral("a=b"),
        QStringLiteral("["),
        QStringLiteral("]"),
        QStringLiteral("[]"),
        QStringLiteral("[x"),
        QStringLiteral("x]"),
        QStringLiteral("\r"),
        QStringLiteral("\n"),
        QStringLiteral("a\r\nb"),
        QString(QChar(0)),
        QStringLiteral("a") + QChar(0) + QStringLiteral("b"),
        QStringLiteral(";c"),
        QStringLiteral("\t"),
        QString::fromUtf8("\xC3\xA9"), // é
        QString::fromUtf8("\xC3\x89"), // É
        QString::fromUtf8("\xC3\x9F"), // ß, upper-cased "SS"
        QStringLiteral("SS"),
        QString::fromUtf8("\xC4\xB1"), // dotless i, upper-cased "I"
        QString::fromUtf8("\xC5\xBF"), // long s, upper-cased "S"
        QString::fromUtf8("\xEF\xAC\x81"), // fi ligature, upper-cased "FI"
        QString::fromUtf8("\xE2\x82\xAC"), // €, in Windows-1252
        QString::fromUtf8("\xC4\x81"), // ā, not in Windows-1252
        QString::fromUtf8("\xC3\xBF\xC3\xBE"), // ÿþ: a UTF-16 mark in Windows-1252
        QString::fromUtf8("\xC3\x83\xC2\xA9"), // Ã©: é's UTF-8 read as Windows-1252
        QString::fromUtf8("\xC3\xAF\xC2\xBB\xC2\xBF"), // ï»¿: UTF-8's mark read as Windows-1252
        QString(QChar(0xFEFF)),
        QChar(0xFEFF) + QStringLiteral("k"),
        QString(QChar(0x81)),
        QString(QChar(0xD800)),
        QString::fromUtf8("\xF0\x9F\x98\x80"), // beyond the BMP
        QStringLiteral(" k "),
    };
    return texts;
}

const QStringList &plainTexts()
{
    static const QStringList texts = {QStringLiteral("A"),    QStringLiteral("b"), QStringLiteral("k"),
                                      QStringLiteral("j"),    QStringLiteral("1"), QStringLiteral("Net"),
                                      QStringLiteral("host"), QStringLiteral("x")};
    return texts;
}

enum class Role { Section, Key, Value };

QString fromKnown(const QList<model::Record> &known, Role role, std::uint8_t pick)
{
    const model::Record &record = known[pick % known.size()];
    return role == Role::Section ? record.section : role == Role::Key ? record.key : record.value;
}

// Letter case and blanks changed, which the store must see through (or, for
// blanks, must not).
QString variant(const QString &text, std::uint8_t how)
{
    switch (how % 5) {
    case 1:
        return text.toUpper();
    case 2:
        return text.toLower();
    case 3:
        return QLatin1Char(' ') + text + QLatin1Char(' ');
    default:
        return text;
    }
}

QString rawText(FuzzInput &in, std::uint8_t how)
{
    const QByteArray bytes = in.take(in.byte() % 8);
    switch (how % 3) {
    case 0:
        return QString::fromUtf8(bytes);
    case 1:
        return QString::fromLatin1(bytes);
    default: {
        QString units;
        for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
            units +=
                QChar(char16_t(static_cast<unsigned char>(bytes[i]) << 8 | static_cast<unsigned char>(bytes[i + 1])));
        return units;
    }
    }
}

QString pickText(FuzzInput &in, const QList<model::Record> &known, Role role)
{
    const std::uint8_t how = in.byte();
    const std::uint8_t detail = how / 8;
    switch (how % 8) {
    case 0:
    case 1:
    case 2:
        if (!known.isEmpty())
            return variant(fromKnown(known, role, in.byte()), detail);
        return plainTexts()[in.byte() % plainTexts().size()];
    case 3:
    case 4:
        return awkwardTexts()[in.byte() % awkwardTexts().size()];
    case 5:
        return rawText(in, detail);
    case 6: {
        const QString base =
            known.isEmpty() ? plainTexts()[in.byte() % plainTexts().size()] : fromKnown(known, role, in.byte());
        const QString piece = awkwardTexts()[in.byte() % awkwardTexts().size()];
        return detail % 2 ? piece + base : base + piece;
    }
    default:
        return plainTexts()[in.byte() % plainTexts().size()];
    }
}

} // namespace

QByteArray FuzzInput::take(std::size_t n)
{
    n = std::min(n, m_size - std::min(m_pos, m_size));
    QByteArray out(reinterpret_cast<const char *>(m_data + m_pos), qsizetype(n));
    m_pos += n;
    return out;
}

QByteArray FuzzInput::file()
{
    const std::size_t length = byte() | std::size_t(byte()) << 8;
    return take(length % (m_size - std::min(m_pos, m_size) + 1));
}

Operation readOperation(FuzzInput &in, const QList<model::Record> &known)
{
    static constexpr Operation::Kind kKinds[16] = {
        Operation::Set,           Operation::Set,        Operation::Set,
        Operation::Batch,         Operation::Delete,     Operation::Delete,
        Operation::AddSection,    Operation::AddSection, Operation::AddKey,
        Operation::AddKey,        Operation::AddKey,     Operation::DeleteSection,
        Operation::DeleteSection, Operation::Reload,     Operation::ToggleReadOnly,
        Operation::Batch,
    };
    Operation op;
    const std::uint8_t code = in.byte();
    op.kind = kKinds[code % 16];
    if (op.kind == Operation::Reload || op.kind == Operation::ToggleReadOnly)
        return op;
    if (op.kind == Operation::Batch) {
        // Two to four writes; what is not a write becomes a set.
        for (int n = 2 + in.byte() % 3; n > 0; --n) {
            Operation step = readOperation(in, known);
            if (step.kind > Operation::DeleteSection) {
                step.kind = Operation::Set;
                step.steps.clear();
            }
            op.steps.push_back(std::move(step));
        }
        return op;
    }
    // Half the time the section and key of one record, so that writes meet
    // the lines they are after.
    if (code / 16 % 2 && !known.isEmpty()) {
        const std::uint8_t pick = in.byte();
        const std::uint8_t how = in.byte();
        op.section = variant(fromKnown(known, Role::Section, pick), how);
        op.key = variant(fromKnown(known, Role::Key, pick), how / 5);
    } else {
        op.section = pickText(in, known, Role::Section);
        op.key = pickText(in, known, Role::Key);
    }
    if (op.kind == Operation::Set || op.kind == Operation::AddKey)
        op.value = pickText(in, known, Role::Value);
    return op;
}

QString Operation::describe() const
{
    const auto q = [](const QString &text) { return QLatin1Char('"') + escaped(text) + QLatin1Char('"'); };
    switch (kind) {
    case Set:
        return QStringLiteral("set ") + q(section) + QLatin1Char(' ') + q(key) + QLatin1Char(' ') + q(value);
    case Delete:
        return QStringLiteral("delete ") + q(section) + QLatin1Char(' ') + q(key);
    case AddSection:
        return QStringLiteral("add-section ") + q(section);
    case AddKey:
        return QStringLiteral("add-key ") + q(section) + QLatin1Char(' ') + q(key) + QLatin1Char(' ') + q(value);
    case DeleteSection:
        return QStringLiteral("delete-section ") + q(section);
    case Reload:
        return QStringLiteral("(load the file again)");
    case ToggleReadOnly:
        return QStringLiteral("(toggle the file's write bits)");
    case Batch: {
        QString out = QStringLiteral("batch");
        for (const Operation &step : steps)
            out += QStringLiteral(" --") + step.describe();
        return out;
    }
    }
    return QString();
}

QString escaped(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F && c != QLatin1Char('\\') && c != QLatin1Char('"'))
            out += c;
        else if (c.unicode() < 0x100)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    return out;
}

QString escapedBytes(const QByteArray &bytes)
{
    return escaped(QString::fromLatin1(bytes));
}
