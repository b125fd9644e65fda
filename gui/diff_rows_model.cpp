#include "diff_rows_model.h"

#include "cut_off_tooltip.h"

#include <QBrush>
#include <QColor>
#include <QFontDatabase>
#include <QHelpEvent>

#include <limits>

namespace {
QString number(qsizetype n)
{
    return (n ? QString::number(n) : QString()).rightJustified(6);
}

// `base` moved towards `tint` by `share` (0 to 1).
QColor mixed(const QColor &base, const QColor &tint, double share)
{
    auto channel = [share](int a, int b) { return int(a + (b - a) * share + 0.5); };
    return QColor(channel(base.red(), tint.red()), channel(base.green(), tint.green()),
                  channel(base.blue(), tint.blue()));
}

// Tints light enough under dark text and dark enough under light text: a
// fifth of a strong red or green over the palette's own background.
constexpr double kTintShare = 0.22;
const QColor kRemovedTint(220, 50, 50);
const QColor kAddedTint(40, 170, 60);
} // namespace

void DiffRowsModel::setRows(QList<DiffLine> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_widest = 0;
    qsizetype longest = -1;
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        const qsizetype length = m_rows[i].kind == DiffLine::Folded ? 0 : m_rows[i].text.size();
        if (length > longest) {
            longest = length;
            m_widest = int(i);
        }
    }
    endResetModel();
}

void DiffRowsModel::setPalette(const QPalette &palette)
{
    m_palette = palette;
    if (!m_rows.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_rows.size()) - 1), {Qt::BackgroundRole, Qt::ForegroundRole});
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
    const QColor base = m_palette.color(QPalette::Active, QPalette::Base);
    const QColor text = m_palette.color(QPalette::Active, QPalette::Text);
    switch (role) {
    case Qt::DisplayRole:
        // The fold's mark stands where the lines' - and + do.
        return line.kind == DiffLine::Folded ? QString(14, u' ') + QChar(0x22EF) + u' ' + rowText(line) : rowText(line);
    case Qt::BackgroundRole:
        if (line.kind == DiffLine::Removed)
            return QBrush(mixed(base, kRemovedTint, kTintShare));
        if (line.kind == DiffLine::Added)
            return QBrush(mixed(base, kAddedTint, kTintShare));
        if (line.kind == DiffLine::Folded)
            return QBrush(mixed(base, text, 0.08));
        return QBrush(base);
    case Qt::ForegroundRole:
        // The fold's row is greyed, as far as its text stays readable.
        return QBrush(line.kind == DiffLine::Folded ? mixed(text, base, 0.3) : text);
    case Qt::FontRole:
        return QFontDatabase::systemFont(QFontDatabase::FixedFont);
    default:
        return {};
    }
}

QSize DiffRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto *rows = qobject_cast<const DiffRowsModel *>(index.model());
    const QModelIndex widest = rows ? rows->index(rows->widestRow()) : QModelIndex();
    return QStyledItemDelegate::sizeHint(option, widest.isValid() ? widest : index);
}

bool DiffRowDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                                const QModelIndex &index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    // A row scrolled out on the left is cut off too, however much of it shows.
    const int needed = option.rect.left() < 0 ? std::numeric_limits<int>::max() / 2
                                              : QStyledItemDelegate::sizeHint(option, index).width();
    return showTextWhenCutOff(event, view, option, index, needed);
}
