#include "class_store.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
const QString kRootName = QStringLiteral("HKEY_CLASSES_ROOT");
const QString kKeyField = QStringLiteral("key");
const QString kValueField = QStringLiteral("value");
} // namespace

bool sameKeyName(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

std::optional<ClassStore> ClassStore::fromJson(const QByteArray &bytes)
{
    ClassStore store;
    if (bytes.trimmed().isEmpty())
        return store;
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    if (!document.isObject())
        return std::nullopt;
    const QJsonValue root = document.object().value(kRootName);
    if (!root.isArray())
        return std::nullopt;
    for (const QJsonValue &item : root.toArray()) {
        const QJsonObject object = item.toObject();
        const QString name = object.value(kKeyField).toString();
        if (!isValidName(name) || store.find(name))
            return std::nullopt;
        ClassKey key{name, std::nullopt};
        const QJsonValue value = object.value(kValueField);
        if (value.isString())
            key.value = value.toString();
        else if (!value.isUndefined())
            return std::nullopt;
        store.m_keys.append(key);
    }
    return store;
}

QByteArray ClassStore::toJson() const
{
    QJsonArray keys;
    for (const ClassKey &key : m_keys) {
        QJsonObject object{{kKeyField, key.name}};
        if (key.value)
            object.insert(kValueField, *key.value);
        keys.append(object);
    }
    return QJsonDocument(QJsonObject{{kRootName, keys}}).toJson(QJsonDocument::Indented);
}

bool ClassStore::isValidName(const QString &name)
{
    if (name.isEmpty())
        return false;
    const QStringList parts = name.split(QLatin1Char('\\'));
    for (const QString &part : parts) {
        if (part.isEmpty())
            return false;
    }
    return true;
}

const ClassKey *ClassStore::find(const QString &name) const
{
    for (const ClassKey &key : m_keys) {
        if (sameKeyName(key.name, name))
            return &key;
    }
    return nullptr;
}

QString ClassStore::create(const QString &name, bool *added)
{
    if (added)
        *added = false;
    QString path;
    for (const QString &part : name.split(QLatin1Char('\\'))) {
        const QString candidate = path.isEmpty() ? part : path + QLatin1Char('\\') + part;
        if (const ClassKey *existing = find(candidate)) {
            path = existing->name;
        } else {
            m_keys.append({candidate, std::nullopt});
            path = candidate;
            if (added)
                *added = true;
        }
    }
    return path;
}

bool ClassStore::setValue(const QString &name, const QString &text)
{
    for (ClassKey &key : m_keys) {
        if (sameKeyName(key.name, name)) {
            key.value = text;
            return true;
        }
    }
    return false;
}

std::optional<QString> ClassStore::value(const QString &name) const
{
    const ClassKey *key = find(name);
    return key ? key->value : std::nullopt;
}
