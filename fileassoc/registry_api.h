#pragma once

#include <QString>

// The four registry calls the file type registration makes (create or open
// a key, open an existing key, set a key's default value, close a key),
// behind an interface of our own so that the keys can live wherever the
// desktop looks for them. Results are Windows error codes, 0 for success.

// A key handle; the predefined roots are fixed values, opened keys get others.
using RegKey = quintptr;

inline constexpr RegKey HKEY_CLASSES_ROOT = 0x80000000u;

// Query, set, create sub-key, enumerate, notify and create link: what the
// registration asks for on every key it opens or creates.
inline constexpr quint32 kKeyAccess = 0x3F;

namespace RegError {
inline constexpr qint32 Success = 0;
inline constexpr qint32 FileNotFound = 2;
inline constexpr qint32 AccessDenied = 5;
inline constexpr qint32 InvalidHandle = 6;
inline constexpr qint32 BadPathname = 161;
inline constexpr qint32 KeyDeleted = 1018;
} // namespace RegError

class RegistryApi {
public:
    virtual ~RegistryApi() = default;
    // Opens `subKey` ("\"-separated names) under `root`, creating it and every
    // key above it that is missing; `key` gets the handle on success.
    virtual qint32 createKey(RegKey root, const QString &subKey, quint32 access, RegKey &key) = 0;
    // Opens an existing key; a missing one is FileNotFound.
    virtual qint32 openKey(RegKey root, const QString &subKey, quint32 access, RegKey &key) = 0;
    // Sets the key's default (unnamed) text value.
    virtual qint32 setDefaultValue(RegKey key, const QString &text) = 0;
    virtual qint32 closeKey(RegKey key) = 0;
};
