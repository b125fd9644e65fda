#include "frm_history.h"

#include "app_error.h"
#include "busy_cursor.h"
#include "cls_ini_registry.h"
#include "diff_rows_model.h"
#include "file_access.h"
#include "file_history.h"
#include "gui_log.h"
#include "interaction.h"
#include "program_icon.h"
#include "version_diff.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QLocale>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
enum Column { NumberColumn, TimeColumn, CommandColumn, SizeColumn };
} // namespace

frmHistory::frmHistory(QWidget *owner, Interaction &ui, clsINIRegistry &store)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_ui(ui), m_store(store)
{
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(QStringLiteral("History - ") + store.FileName());
    setWindowIcon(programIcon());
    setModal(true);

    lstVersions = new QTreeWidget(this);
    lstVersions->setObjectName(QStringLiteral("lstVersions"));
    lstVersions->setRootIsDecorated(false);
    lstVersions->setUniformRowHeights(true);
    lstVersions->setHeaderLabels(
        {QStringLiteral("No."), QStringLiteral("Time"), QStringLiteral("Command"), QStringLiteral("Size")});
    lstVersions->header()->setStretchLastSection(false);
    lstVersions->header()->setSectionResizeMode(CommandColumn, QHeaderView::Stretch);

    lblDiff = new QLabel(this);
    lblDiff->setObjectName(QStringLiteral("lblDiff"));
    lblDiff->setWordWrap(true);
    m_rows = new DiffRowsModel(this);
    lstDiff = new QListView(this);
    lstDiff->setObjectName(QStringLiteral("lstDiff"));
    lstDiff->setModel(m_rows);
    lstDiff->setUniformItemSizes(true);
    lstDiff->setSelectionMode(QAbstractItemView::NoSelection);
    lstDiff->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    btnRestore = new QPushButton(QStringLiteral("&Restore"), this);
    btnRestore->setObjectName(QStringLiteral("btnRestore"));
    btnClose = new QPushButton(QStringLiteral("&Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setDefault(true);

    auto *lower = new QWidget(this);
    auto *lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addWidget(lblDiff);
    lowerLayout->addWidget(lstDiff);
    auto *split = new QSplitter(Qt::Vertical, this);
    split->addWidget(lstVersions);
    split->addWidget(lower);
    // A few versions show at once; the diff gets the rest, and all of what
    // a larger dialog adds.
    split->setSizes({140, 360});
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnRestore);
    buttons->addWidget(btnClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(split);
    layout->addLayout(buttons);
    resize(760, 540);

    connect(btnRestore, &QPushButton::clicked, this, &frmHistory::btnRestore_Click);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(lstVersions, &QTreeWidget::currentItemChanged, this, &frmHistory::showSelectedDiff);

    fillVersions();
}

void frmHistory::fillVersions()
{
    const BusyCursor busy;
    QList<FileVersion> versions;
    QString problem;
    try {
        if (!m_store.history())
            problem = QStringLiteral("No version history is kept.");
        else
            versions = m_store.history()->versions(m_store.FileName());
        m_current = readWholeFile(m_store.FileName(), objectName());
    } catch (const AppError &error) {
        problem = error.description();
    }
    const QLocale locale;
    for (auto it = versions.crbegin(); it != versions.crend(); ++it) {
        auto *item = new QTreeWidgetItem(lstVersions);
        item->setText(NumberColumn, QString::number(it->number));
        item->setData(NumberColumn, Qt::UserRole, it->number);
        item->setText(TimeColumn, locale.toString(it->time.toLocalTime(), QLocale::ShortFormat));
        item->setText(CommandColumn, it->command);
        item->setText(SizeColumn, locale.formattedDataSize(it->size));
        item->setTextAlignment(SizeColumn, Qt::AlignRight | Qt::AlignVCenter);
    }
    for (int column : {NumberColumn, TimeColumn, SizeColumn})
        lstVersions->resizeColumnToContents(column);
    btnRestore->setEnabled(!versions.isEmpty() && problem.isEmpty());
    if (!problem.isEmpty()) {
        lblDiff->setText(problem);
    } else if (versions.isEmpty()) {
        lblDiff->setText(QStringLiteral("No versions of this file are kept yet: each change made with Larkspur "
                                        "keeps the contents it replaces."));
    } else {
        lstVersions->setCurrentItem(lstVersions->topLevelItem(0));
    }
}

qint64 frmHistory::versionAt(int row) const
{
    const QTreeWidgetItem *item = lstVersions->topLevelItem(row);
    return item ? item->data(NumberColumn, Qt::UserRole).toLongLong() : 0;
}

void frmHistory::showSelectedDiff()
{
    const QTreeWidgetItem *item = lstVersions->currentItem();
    if (!item) {
        m_rows->setRows({});
        return;
    }
    const qint64 number = item->data(NumberColumn, Qt::UserRole).toLongLong();
    const BusyCursor busy;
    try {
        const TextDiff diff = diffTexts(m_store.history()->contents(m_store.FileName(), number), m_current);
        lblDiff->setText(diff.identical() ? QStringLiteral("Version %1 holds what the file holds now.").arg(number)
                                          : QStringLiteral("Version %1 against the file as it is now: lines marked "
                                                           "- are only in the version, + only in the file.")
                                                .arg(number));
        m_rows->setRows(foldedRows(diff));
        btnRestore->setEnabled(true);
    } catch (const AppError &error) {
        lblDiff->setText(error.description());
        m_rows->setRows({});
        btnRestore->setEnabled(false);
    }
}

void frmHistory::btnRestore_Click()
{
    const QTreeWidgetItem *item = lstVersions->currentItem();
    if (!item)
        return;
    try {
        const BusyCursor busy;
        m_store.RestoreVersion(item->data(NumberColumn, Qt::UserRole).toLongLong());
    } catch (const AppError &error) {
        m_ui.reportError(error);
        return;
    }
    m_restored = true;
    accept();
}
