#include "choose_file.h"

#include "app_error.h"
#include "interaction.h"
#include "text_helpers.h"

#include <QDir>

QString chooseFile(Interaction &ui, const QString &title, const QString &filter, const QString &initialDir,
                   const QString &initialFileName)
{
    OpenFileRequest request;
    const QString filters =
        filter.isEmpty() ? QStringLiteral("All Files (*.*)") + QChar(0) + QStringLiteral("*.*") + QChar(0) : filter;
    const QStringList items = filters.split(QChar(0));
    // Items come in pairs; the empty text after the last NUL closes the list.
    for (qsizetype i = 0; i + 1 < items.size(); i += 2) {
        if (items[i].isEmpty() && items[i + 1].isEmpty())
            break;
        request.filters.append({items[i], items[i + 1]});
    }
    request.initialDir = initialDir.isEmpty() ? QDir::currentPath() : initialDir;
    request.initialFileName = initialFileName;
    request.title = title.isEmpty() ? QStringLiteral("Select File To Open") : title;
    try {
        return stripNulls(ui.openFileDialog(request));
    } catch (const AppError &e) {
        ui.tell(QStringLiteral("CommonOpenDialog:") + QString::number(errorNumber(e.kind())) + QStringLiteral(" - ")
                    + e.description(),
                MessageIcon::Critical);
        return QString();
    }
}
