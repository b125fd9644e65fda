#pragma once

#include <QWidget>

class FindHost;
class Interaction;
struct FindState;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The modeless Find dialog. A hit hides it (it stays loaded, so F3 can go
// on with its text and options); Cancel and the close box destroy it. It
// searches the store its host names and keeps its last hit in `state`;
// `ui` and `state` must outlive it.
class FindDialog : public QWidget {
    Q_OBJECT
public:
    FindDialog(FindHost *host, Interaction &ui, FindState &state);
    ~FindDialog() override;

    // One search run, as a click on Find Next.
    void findNext();
    // Whether Find Next may run now (there is text to find).
    bool canFindNext() const;
    // The host is going away first; the dialog then tells nobody of its end.
    void detachHost() { m_host = nullptr; }

    void onTextChanged();
    void onFindClicked();
    void onMatchCaseClicked();
    void onCancelClicked();

    QLineEdit *textEdit() const { return m_textEdit; }
    QPushButton *findButton() const { return m_findButton; }
    QPushButton *cancelButton() const { return m_cancelButton; }
    QCheckBox *sectionsCheck() const { return m_sectionsCheck; }
    QCheckBox *keysCheck() const { return m_keysCheck; }
    QCheckBox *valuesCheck() const { return m_valuesCheck; }
    QCheckBox *wholeStringCheck() const { return m_wholeStringCheck; }
    QCheckBox *matchCaseCheck() const { return m_matchCaseCheck; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Enter in the text box: a search, when there is text to find.
    void findOnEnter();

    FindHost *m_host;
    Interaction &m_ui;
    FindState &m_state;

    QLineEdit *m_textEdit = nullptr;
    QLabel *m_textLabel = nullptr;
    QPushButton *m_findButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QGroupBox *m_optionsBox = nullptr;
    QCheckBox *m_sectionsCheck = nullptr;
    QCheckBox *m_keysCheck = nullptr;
    QCheckBox *m_valuesCheck = nullptr;
    QCheckBox *m_wholeStringCheck = nullptr;
    QCheckBox *m_matchCaseCheck = nullptr;
};
