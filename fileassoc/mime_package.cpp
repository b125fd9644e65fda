#include "mime_package.h"

#include <QMimeDatabase>
#include <QXmlStreamWriter>

MimeDeclaration ownMimeDeclaration(const QString &extension)
{
    const QString bare = extension.startsWith(QLatin1Char('.')) ? extension.sliced(1) : extension;
    QString subtype;
    for (QChar c : bare.toLower()) {
        const bool allowed = (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
                             || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('+')
                             || c == QLatin1Char('-') || c == QLatin1Char('.');
        subtype += allowed ? c : QLatin1Char('-');
    }
    return {QStringLiteral("text/x-") + subtype, QStringLiteral("*.") + bare.toLower(),
            bare.toUpper() + QStringLiteral(" file")};
}

QString mimeTypeForExtension(const QString &extension, const QStringList &knownTypes, bool &declare)
{
    const QString own = ownMimeDeclaration(extension).type;
    for (const QString &type : knownTypes) {
        if (type != own) {
            declare = false;
            return type;
        }
    }
    declare = true;
    return own;
}

QByteArray mimePackage(const QList<MimeDeclaration> &types)
{
    QByteArray xml;
    QXmlStreamWriter out(&xml);
    out.setAutoFormatting(true);
    out.writeStartDocument();
    out.writeDefaultNamespace(QStringLiteral("http://www.freedesktop.org/standards/shared-mime-info"));
    out.writeStartElement(QStringLiteral("mime-info"));
    for (const MimeDeclaration &type : types) {
        out.writeStartElement(QStringLiteral("mime-type"));
        out.writeAttribute(QStringLiteral("type"), type.type);
        out.writeTextElement(QStringLiteral("comment"), type.comment);
        out.writeEmptyElement(QStringLiteral("sub-class-of"));
        out.writeAttribute(QStringLiteral("type"), QStringLiteral("text/plain"));
        out.writeEmptyElement(QStringLiteral("glob"));
        out.writeAttribute(QStringLiteral("pattern"), type.glob);
        out.writeEndElement();
    }
    out.writeEndElement();
    out.writeEndDocument();
    return xml;
}

QStringList systemMimeTypesForFileName(const QString &fileName)
{
    QStringList names;
    for (const QMimeType &type : QMimeDatabase().mimeTypesForFileName(fileName))
        names << type.name();
    return names;
}
