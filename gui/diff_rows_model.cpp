#include "diff_rows_model.h"

#include <QBrush>
#include <QColor>
#include <QFontDatabase>

namespace {
QString number(qsizetype n)
{
    return (n ? QString::number(n) : QString()).rightJustified(6);
}
} // namespace

void DiffRowsModel::setRows(QList<DiffLine> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int DiffRowsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QString DiffRowsModel::rowText(const DiffLine &line)
{
    if (line.kind == DiffLine::Folded)
        return QStringLiteral("%1 unchanged line%2").arg(line.folded).arg(line.folded == 1 ? "" : "s");
    const QChar mark = line.kind == DiffLine::Removed ? u'-' : line.kind == DiffLine::Added ? u'+' : u' ';
    return number(line.oldNumber) + number(line.newNumber) + QStringLiteral("  ") + mark + QLatin1Char(' ') + line.text;
}

QVariant DiffRowsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const DiffLine &line = m_rows[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        // The fold's mark stands where the lines' - and + do.
        return line.kind == DiffLine::Folded ? QString(14, u' ') + QChar(0x22EF) + u' ' + rowText(line) : rowText(line);
    case Qt::BackgroundRole:
        if (line.kind == DiffLine::Removed)
            return QBrush(QColor(255, 220, 220));
        if (line.kind == DiffLine::Added)
            return QBrush(QColor(215, 245, 215));
        if (line.kind == DiffLine::Folded)
            return QBrush(QColor(238, 238, 238));
        return {};
    case Qt::ForegroundRole:
        if (line.kind == DiffLine::Folded)
            return QBrush(QColor(110, 110, 110));
        return QBrush(QColor(0, 0, 0));
    case Qt::FontRole:
        return QFontDatabase::systemFont(QFontDatabase::FixedFont);
    default:
        return {};
    }
}
