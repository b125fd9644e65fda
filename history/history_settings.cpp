#include "history_settings.h"

#include "history_log.h"

#include <QDir>

#include <algorithm>
#include <limits>

namespace {

// The environment variable's count, or `fallback` when it is unset or no count.
qint64 countFrom(const char *variable, qint64 fallback, qint64 (*parse)(const QString &))
{
    if (!qEnvironmentVariableIsSet(variable))
        return fallback;
    const QString text = qEnvironmentVariable(variable);
    const qint64 value = parse(text);
    if (value < 0) {
        qCWarning(lcHistory).noquote() << variable << "is no count:" << text << "- the history keeps" << fallback;
        return fallback;
    }
    return value;
}

qint64 parseCount(const QString &text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok && value >= 0 ? value : -1;
}

} // namespace

qint64 parseByteCount(const QString &text)
{
    QString digits = text.trimmed().toUpper();
    const qsizetype unit = digits.isEmpty() ? -1 : QStringLiteral("KMG").indexOf(digits.back());
    const int shift = unit < 0 ? 0 : 10 * int(unit + 1);
    if (unit >= 0)
        digits.chop(1);
    if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); }))
        return -1;
    const qint64 value = parseCount(digits);
    if (value < 0 || value > (std::numeric_limits<qint64>::max() >> shift))
        return -1;
    return value << shift;
}

HistorySettings HistorySettings::fromEnvironment()
{
    HistorySettings settings;
    // Relative paths are invalid there and are passed over, as the XDG base
    // directory rules ask.
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    settings.stateHome =
        QDir::isAbsolutePath(state) ? QDir::cleanPath(state) : QDir::homePath() + QStringLiteral("/.local/state");
    settings.maxVersions = countFrom("LARKSPUR_HISTORY_MAX_VERSIONS", settings.maxVersions, parseCount);
    settings.maxBytes = countFrom("LARKSPUR_HISTORY_MAX_BYTES", settings.maxBytes, parseByteCount);
    return settings;
}
