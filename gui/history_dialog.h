#pragma once

#include <QByteArray>
#include <QDialog>

class DiffRowsModel;
class Interaction;
class QLabel;
class QListView;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class IniStore;

// File > History...: the kept versions of the store's file, newest first
// (time, the command that replaced it, size), and the selected one compared
// line by line with the file as it is now: removed and added lines marked,
// unchanged runs folded. Restore writes the selected version back through
// the store, which keeps the file's contents as a version first, and closes
// the dialog; the window then shows the file as restored.
class HistoryDialog : public QDialog {
    Q_OBJECT
public:
    HistoryDialog(QWidget *owner, Interaction &ui, IniStore &store);

    // The version in the list's row `row` (0 is the newest); 0 for none.
    qint64 versionAt(int row) const;
    void onRestoreClicked();
    // Whether Restore wrote a version back.
    bool restored() const { return m_restored; }
    // What Restore wrote back, in a sentence for the person; "" before.
    QString restoredSummary() const { return m_restoredSummary; }

    QTreeWidget *versionList() const { return m_versionList; }
    QLabel *diffLabel() const { return m_diffLabel; }
    QListView *diffView() const { return m_diffView; }
    QPushButton *restoreButton() const { return m_restoreButton; }
    QPushButton *closeButton() const { return m_closeButton; }

protected:
    void changeEvent(QEvent *event) override;

private:
    void fillVersions();
    // "version 3 of app.ini, written 2026-12-08 14:02" for the list's item.
    QString versionCaption(const QTreeWidgetItem &item) const;
    void showSelectedDiff();

    Interaction &m_ui;
    IniStore &m_store;
    DiffRowsModel *m_rows = nullptr;
    // The file as it is now, read once when the dialog opens.
    QByteArray m_current;
    bool m_restored = false;
    QString m_restoredSummary;

    QTreeWidget *m_versionList = nullptr;
    QLabel *m_diffLabel = nullptr;
    QListView *m_diffView = nullptr;
    QPushButton *m_restoreButton = nullptr;
    QPushButton *m_closeButton = nullptr;
};
