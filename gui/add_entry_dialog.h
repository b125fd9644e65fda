#pragma once

#include "ini_record.h"

#include <QDialog>

class AppError;
class Interaction;
class NodeCollection;
class IniStore;
class QLabel;
class QLineEdit;
class QPushButton;

// The modal dialog that adds a section, or a key with its value. Its caption
// is its mode ("Add Section" or "Add Key"), set by whoever shows it, which
// also fills and disables the fields that do not apply. OK appends the record
// to the store it was given (nullptr when there is none), adds its node to
// the tree it was given and writes the file. A fresh dialog is made for
// every use.
class AddEntryDialog : public QDialog {
    Q_OBJECT
public:
    AddEntryDialog(QWidget *owner, Interaction &ui, IniStore *store, NodeCollection &nodes);

    void onOkClicked();
    void onCancelClicked();
    // Sees every key before the focused field: Enter (13) runs OK.
    void Form_KeyPress(qint16 &KeyAscii);

    // A field that does not apply: disabled, with the button face for background.
    static void greyOut(QLineEdit *field);

    QLineEdit *m_sectionEdit = nullptr;
    QLineEdit *m_keyEdit = nullptr;
    QLineEdit *m_valueEdit = nullptr;
    QLabel *m_sectionLabel = nullptr;
    QLabel *m_keyLabel = nullptr;
    QLabel *m_valueLabel = nullptr;
    QPushButton *m_okButton = nullptr;
    QPushButton *m_cancelButton = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void addSection();
    void addKey();
    // The store, or error 91 when there is none.
    IniStore &store() const;
    // Takes out the record just added, and its node, when its line could
    // not be written.
    void takeBack(IniStore &registry, IniRecord *record);

    Interaction &m_ui;
    IniStore *m_store;
    NodeCollection &m_nodes;
    QWidget *m_owner;
};
