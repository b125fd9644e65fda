#include "history_dialog.h"

#include "app_error.h"
#include "busy_cursor.h"
#include "diff_rows_model.h"
#include "file_access.h"
#include "file_history.h"
#include "gui_log.h"
#include "ini_store.h"
#include "interaction.h"
#include "program_icon.h"
#include "version_diff.h"

#include <QDateTime>
#include <QEvent>
#include <QFileInfo>
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

HistoryDialog::HistoryDialog(QWidget *owner, Interaction &ui, IniStore &store)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_ui(ui), m_store(store)
{
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(QStringLiteral("History - ") + store.fileName());
    setWindowIcon(programIcon());
    setModal(true);

    m_versionList = new QTreeWidget(this);
    m_versionList->setObjectName(QStringLiteral("lstVersions"));
    m_versionList->setRootIsDecorated(false);
    m_versionList->setUniformRowHeights(true);
    m_versionList->setHeaderLabels(
        {QStringLiteral("No."), QStringLiteral("Time"), QStringLiteral("Command"), QStringLiteral("Size")});
    m_versionList->header()->setStretchLastSection(false);
    m_versionList->header()->setSectionResizeMode(CommandColumn, QHeaderView::Stretch);

    m_diffLabel = new QLabel(this);
    m_diffLabel->setObjectName(QStringLiteral("lblDiff"));
    m_diffLabel->setWordWrap(true);
    m_rows = new DiffRowsModel(this);
    m_diffView = new QListView(this);
    m_diffView->setObjectName(QStringLiteral("lstDiff"));
    m_diffView->setModel(m_rows);
    m_diffView->setItemDelegate(new DiffRowDelegate(m_diffView));
    m_diffView->setUniformItemSizes(true);
    m_diffView->setSelectionMode(QAbstractItemView::NoSelection);
    m_diffView->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_diffView->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_rows->setPalette(m_diffView->palette());

    m_restoreButton = new QPushButton(QStringLiteral("&Restore"), this);
    m_restoreButton->setObjectName(QStringLiteral("btnRestore"));
    m_closeButton = new QPushButton(QStringLiteral("&Close"), this);
    m_closeButton->setObjectName(QStringLiteral("btnClose"));
    m_closeButton->setDefault(true);
    m_versionList->setAccessibleName(QStringLiteral("Versions"));
    m_diffView->setAccessibleName(QStringLiteral("Differences"));
    m_restoreButton->setAccessibleName(QStringLiteral("Restore"));
    m_closeButton->setAccessibleName(QStringLiteral("Close"));

    auto *lower = new QWidget(this);
    auto *lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addWidget(m_diffLabel);
    lowerLayout->addWidget(m_diffView);
    auto *split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_versionList);
    split->addWidget(lower);
    // A few versions show at once; the diff gets the rest, and all of what
    // a larger dialog adds.
    split->setSizes({140, 360});
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_restoreButton);
    buttons->addWidget(m_closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(split);
    layout->addLayout(buttons);
    resize(760, 540);

    connect(m_restoreButton, &QPushButton::clicked, this, &HistoryDialog::onRestoreClicked);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_versionList, &QTreeWidget::currentItemChanged, this, &HistoryDialog::showSelectedDiff);

    fillVersions();
}

void HistoryDialog::fillVersions()
{
    const BusyCursor busy;
    QList<FileVersion> versions;
    QString problem;
    try {
        if (!m_store.history())
            problem = QStringLiteral("No version history is kept.");
        else
            versions = m_store.history()->versions(m_store.fileName());
        m_current = readWholeFile(m_store.fileName());
    } catch (const AppError &error) {
        problem = error.description();
    }
    const QLocale locale;
    for (auto it = versions.crbegin(); it != versions.crend(); ++it) {
        auto *item = new QTreeWidgetItem(m_versionList);
        item->setText(NumberColumn, QString::number(it->number));
        item->setData(NumberColumn, Qt::UserRole, it->number);
        item->setText(TimeColumn, locale.toString(it->time.toLocalTime(), QLocale::ShortFormat));
        item->setData(TimeColumn, Qt::UserRole, it->time);
        item->setText(CommandColumn, it->command);
        item->setText(SizeColumn, locale.formattedDataSize(it->size));
        item->setTextAlignment(SizeColumn, Qt::AlignRight | Qt::AlignVCenter);
    }
    for (int column : {NumberColumn, TimeColumn, SizeColumn})
        m_versionList->resizeColumnToContents(column);
    m_restoreButton->setEnabled(!versions.isEmpty() && problem.isEmpty());
    if (!problem.isEmpty()) {
        m_diffLabel->setText(problem);
    } else if (versions.isEmpty()) {
        m_diffLabel->setText(QStringLiteral("No versions of this file are kept yet: each change made with Larkspur "
                                            "keeps the contents it replaces."));
    } else {
        m_versionList->setCurrentItem(m_versionList->topLevelItem(0));
    }
}

qint64 HistoryDialog::versionAt(int row) const
{
    const QTreeWidgetItem *item = m_versionList->topLevelItem(row);
    return item ? item->data(NumberColumn, Qt::UserRole).toLongLong() : 0;
}

void HistoryDialog::showSelectedDiff()
{
    const QTreeWidgetItem *item = m_versionList->currentItem();
    if (!item) {
        m_rows->setRows({});
        return;
    }
    const qint64 number = item->data(NumberColumn, Qt::UserRole).toLongLong();
    const BusyCursor busy;
    try {
        const TextDiff diff = diffTexts(m_store.history()->contents(m_store.fileName(), number), m_current);
        m_diffLabel->setText(diff.identical() ? QStringLiteral("Version %1 holds what the file holds now.").arg(number)
                                              : QStringLiteral("Version %1 against the file as it is now: lines marked "
                                                               "- are only in the version, + only in the file.")
                                                    .arg(number));
        m_rows->setRows(foldedRows(diff));
        m_restoreButton->setEnabled(true);
    } catch (const AppError &error) {
        m_diffLabel->setText(error.description());
        m_rows->setRows({});
        m_restoreButton->setEnabled(false);
    }
}

QString HistoryDialog::versionCaption(const QTreeWidgetItem &item) const
{
    return QStringLiteral("version %1 of %2, written %3")
        .arg(item.data(NumberColumn, Qt::UserRole).toLongLong())
        .arg(QFileInfo(m_store.fileName()).fileName(), item.data(TimeColumn, Qt::UserRole)
                                                           .toDateTime()
                                                           .toLocalTime()
                                                           .toString(QStringLiteral("yyyy-MM-dd HH:mm")));
}

void HistoryDialog::onRestoreClicked()
{
    const QTreeWidgetItem *item = m_versionList->currentItem();
    if (!item)
        return;
    const QString caption = versionCaption(*item);
    if (!m_ui.ask(QStringLiteral("Restore ") + caption
                      + QStringLiteral("?\r\n\r\nWhat the file holds now is kept as a "
                                       "version first, so that the restore can be undone."),
                  MessageIcon::Question, QStringLiteral("Restore")))
        return;
    try {
        const BusyCursor busy;
        m_store.restoreVersion(item->data(NumberColumn, Qt::UserRole).toLongLong());
    } catch (const AppError &error) {
        m_ui.reportError(error);
        return;
    }
    m_restored = true;
    m_restoredSummary = QStringLiteral("Restored ") + caption + QLatin1Char('.');
    accept();
}

void HistoryDialog::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        m_rows->setPalette(m_diffView->palette());
}
