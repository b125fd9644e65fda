#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A MIME type we declare ourselves, for an extension the desktop has no type for.
struct MimeDeclaration {
    QString type; // "text/x-ini"
    QString glob; // "*.ini"
    QString comment; // "INI file"
};

// The type we declare for files ending in `extension` (".INI" gives
// "text/x-ini", "*.ini", "INI file").
MimeDeclaration ownMimeDeclaration(const QString &extension);

// The MIME type a desktop entry lists for `extension`: the first of
// `knownTypes` (what the desktop's database says of such files) that is not
// our own declaration, or else our own, which `declare` is then set to.
QString mimeTypeForExtension(const QString &extension, const QStringList &knownTypes, bool &declare);

// A shared-mime-info package holding `types`.
QByteArray mimePackage(const QList<MimeDeclaration> &types);

// What the desktop's MIME database says of a file named `fileName`, by name alone.
QStringList systemMimeTypesForFileName(const QString &fileName);
