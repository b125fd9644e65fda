#include "cli_lint.h"

#include "cli_write.h"
#include "file_access.h"
#include "ini_lint.h"
#include "ini_store.h"
#include "json_line.h"

#include <cstdio>

QString lintUsageError(const QStringList &args)
{
    if (args.isEmpty() || args[0] == QLatin1String("--json"))
        return QString();
    return QStringLiteral("Unknown option '%1': use --json").arg(shownArgument(args[0]));
}

int lintCommand(IniStore &store, const QStringList &args)
{
    const bool json = !args.isEmpty();
    const QString file = store.fileName();
    const QList<LintFinding> findings = lintFile(readWholeFile(file));
    QByteArray out;
    for (const LintFinding &finding : findings) {
        if (json) {
            out.append("{\"file\":");
            appendJsonString(out, file);
            out.append(",\"line\":").append(QByteArray::number(finding.line));
            out.append(",\"kind\":");
            appendJsonString(out, lintKindName(finding.kind));
            out.append(",\"message\":");
            appendJsonString(out, finding.message);
            out.append("}\n");
        } else {
            out.append(QStringLiteral("%1:%2: %3\n").arg(file).arg(finding.line).arg(finding.message).toUtf8());
        }
    }
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    return findings.isEmpty() ? 0 : 1;
}
