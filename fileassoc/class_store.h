#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// One key under HKEY_CLASSES_ROOT: its full "\"-separated name and its
// default value, when it has one (an empty text is a value too).
struct ClassKey {
    QString name;
    std::optional<QString> value;
};

// The keys and default values that file type registrations have written,
// kept the way the registry keeps them: names compare without regard to
// letter case, a key keeps the spelling it was created with, keys stay in
// the order they were created and are never removed.
class ClassStore {
public:
    // Reads what toJson() wrote; empty bytes are an empty store. Returns
    // nullopt for anything that is not a store of ours.
    static std::optional<ClassStore> fromJson(const QByteArray &bytes);
    QByteArray toJson() const;

    // Whether `name` can name a key: not empty, no empty part between "\"s.
    static bool isValidName(const QString &name);

    const QList<ClassKey> &keys() const { return m_keys; }
    const ClassKey *find(const QString &name) const;
    // Adds `name` and every key above it that is missing; returns the key's
    // name as stored (the spelling of the keys that were already there).
    // Sets `added` when anything was added.
    QString create(const QString &name, bool *added = nullptr);
    // Sets the default value of an existing key; false when it is missing.
    bool setValue(const QString &name, const QString &text);
    std::optional<QString> value(const QString &name) const;

private:
    QList<ClassKey> m_keys;
};

// Whether two key names name the same key.
bool sameKeyName(const QString &a, const QString &b);
