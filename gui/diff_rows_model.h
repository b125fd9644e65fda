#pragma once

#include "version_diff.h"

#include <QAbstractListModel>

// The rows of a diff as a list for a view: removed lines on red, added ones
// on green, each with its old and new line number, and one grey row for
// each run of unchanged lines left out.
class DiffRowsModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setRows(QList<DiffLine> rows);
    const QList<DiffLine> &rows() const { return m_rows; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // The text a row shows: line numbers, a mark (- or +) and the line.
    static QString rowText(const DiffLine &line);

private:
    QList<DiffLine> m_rows;
};
