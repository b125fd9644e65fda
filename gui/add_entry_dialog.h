#pragma once

#include <QDialog>

class Interaction;
class IniStore;
class QLabel;
class QLineEdit;
class QPushButton;

// The modal dialog that adds a section, or a key with its value. Its caption
// is its mode ("Add Section" or "Add Key"), set by whoever shows it, which
// also fills and disables the fields that do not apply. OK closes it with
// what the person entered, once the store it was given (nullptr when there
// is none) would take it: a blank name keeps it open, a refused one is
// reported and keeps it open too. Whoever showed it adds the entry. A fresh
// dialog is made for every use.
class AddEntryDialog : public QDialog {
    Q_OBJECT
public:
    AddEntryDialog(QWidget *owner, Interaction &ui, const IniStore *store);

    // The texts as entered, untrimmed; the key and value are empty for a section.
    struct Entry {
        QString section;
        QString key;
        QString value;
    };
    Entry entry() const;

    void onOkClicked();
    void onCancelClicked();

    // A field that does not apply: disabled, with the button face for background.
    static void greyOut(QLineEdit *field);

    QLineEdit *sectionEdit() const { return m_sectionEdit; }
    QLineEdit *keyEdit() const { return m_keyEdit; }
    QLineEdit *valueEdit() const { return m_valueEdit; }
    QLabel *sectionLabel() const { return m_sectionLabel; }
    QPushButton *okButton() const { return m_okButton; }
    QPushButton *cancelButton() const { return m_cancelButton; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // True when the entry can be handed on: a name is given and the store
    // would take it (a refusal throws AppError).
    bool acceptableSection() const;
    bool acceptableKey() const;
    // The store, or error 91 when there is none.
    const IniStore &store() const;

    Interaction &m_ui;
    const IniStore *m_store;

    QLineEdit *m_sectionEdit = nullptr;
    QLineEdit *m_keyEdit = nullptr;
    QLineEdit *m_valueEdit = nullptr;
    QLabel *m_sectionLabel = nullptr;
    QLabel *m_keyLabel = nullptr;
    QLabel *m_valueLabel = nullptr;
    QPushButton *m_okButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
};
