#include "mod_functions.h"

#include "app_error.h"
#include "append_line.h"
#include "interaction.h"
#include "text_helpers.h"

#include <QDir>

QString CommonOpenDialog(Interaction &ui, const QString &Title, const QString &Filter, const QString &InitialDir,
                         const QString &InitialFileName, qint32 OwnerWindow)
{
    OpenFileRequest request;
    request.ownerWindow = OwnerWindow;
    const QString filter =
        Filter.isEmpty() ? QStringLiteral("All Files (*.*)") + QChar(0) + QStringLiteral("*.*") + QChar(0) : Filter;
    const QStringList items = filter.split(QChar(0));
    // Items come in pairs; the empty text after the last NUL closes the list.
    for (qsizetype i = 0; i + 1 < items.size(); i += 2) {
        if (items[i].isEmpty() && items[i + 1].isEmpty())
            break;
        request.filters.append({items[i], items[i + 1]});
    }
    request.initialDir = InitialDir.isEmpty() ? QDir::currentPath() : InitialDir;
    request.initialFileName = InitialFileName;
    request.title = Title.isEmpty() ? QStringLiteral("Select File To Open") : Title;
    try {
        return StripNulls(ui.openFileDialog(request));
    } catch (const AppError &e) {
        ui.MsgBox(QStringLiteral("CommonOpenDialog:") + QString::number(e.number()) + QStringLiteral(" - ")
                      + e.description(),
                  vbCritical);
        return QString();
    }
}

bool AppendLine(Interaction &ui, const QString &FileName, const QString &Text)
{
    try {
        appendLineToFile(FileName, Text);
        return true;
    } catch (const AppError &e) {
        ui.MsgBox(e.description(), vbCritical);
    } catch (const std::bad_alloc &) {
        ui.MsgBox(QStringLiteral("Out of memory"), vbCritical);
    }
    return false;
}

bool IsFormLoaded(const Interaction &ui, const QString &Name)
{
    return ui.loadedForms().contains(Name);
}
