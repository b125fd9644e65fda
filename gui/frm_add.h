#pragma once

#include "cls_ini.h"

#include <QDialog>

class AppError;
class Interaction;
class NodeCollection;
class clsINIRegistry;
class QLabel;
class QLineEdit;
class QPushButton;

// The modal dialog that adds a section, or a key with its value. Its caption
// is its mode ("Add Section" or "Add Key"), set by whoever shows it, which
// also fills and disables the fields that do not apply. OK appends the record
// to the store it was given (nullptr when there is none), adds its node to
// the tree it was given and writes the file. A fresh dialog is made for
// every use.
class frmAdd : public QDialog {
    Q_OBJECT
public:
    frmAdd(QWidget *owner, Interaction &ui, clsINIRegistry *store, NodeCollection &nodes);

    void btnOK_Click();
    void btnCancel_Click();
    // Sees every key before the focused field: Enter (13) runs OK.
    void Form_KeyPress(qint16 &KeyAscii);

    // A field that does not apply: disabled, with the button face for background.
    static void greyOut(QLineEdit *field);

    QLineEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QLineEdit *Text3 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void addSection();
    void addKey();
    // The store, or error 91 when there is none.
    clsINIRegistry &store() const;
    // Takes out the record just added, and its node, when its line could
    // not be written.
    void takeBack(clsINIRegistry &registry, const clsINIPtr &record);

    Interaction &m_ui;
    clsINIRegistry *m_store;
    NodeCollection &m_nodes;
    QWidget *m_owner;
};
