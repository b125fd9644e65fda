#pragma once

#include <QString>

// Where the version history lies and how much of it is kept, per file.
struct HistorySettings {
    // $XDG_STATE_HOME when it is an absolute path, else ~/.local/state.
    QString stateHome;
    // The newest versions kept of each file; 0 keeps none (no history).
    qint64 maxVersions = 50;
    // The bytes the versions of one file may take; the newest version is
    // kept even when it alone is larger.
    qint64 maxBytes = qint64(64) << 20;

    // The history folder: one folder in it per configuration file.
    QString root() const { return stateHome + QStringLiteral("/larkspur/history"); }

    // The state folder from XDG_STATE_HOME (or HOME), the limits from
    // LARKSPUR_HISTORY_MAX_VERSIONS and LARKSPUR_HISTORY_MAX_BYTES; a value
    // that is no count is passed over (logged) for the default.
    static HistorySettings fromEnvironment();
};

// A count of bytes: digits, optionally followed by K, M or G (KiB, MiB or
// GiB, letter case ignored); -1 when the text is none.
qint64 parseByteCount(const QString &text);
