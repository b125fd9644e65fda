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
class frmFind : public QWidget {
    Q_OBJECT
public:
    frmFind(FindHost *host, Interaction &ui, FindState &state);
    ~frmFind() override;

    // One search run, as a click on Find Next.
    void FindNext();
    // Whether Find Next may run now (there is text to find).
    bool canFindNext() const;
    // The host is going away first; the dialog then tells nobody of its end.
    void detachHost() { m_host = nullptr; }

    void Form_Load();
    void txtString_Change();
    void txtString_KeyPress(qint16 &KeyAscii);
    void btnFind_Click();
    void chkMatchCase_Click();
    void btnCancel_Click();

    QLineEdit *txtString = nullptr;
    QLabel *Label1 = nullptr;
    QPushButton *btnFind = nullptr;
    QPushButton *btnCancel = nullptr;
    QGroupBox *Frame1 = nullptr;
    QCheckBox *chkSection = nullptr;
    QCheckBox *chkKey = nullptr;
    QCheckBox *chkValue = nullptr;
    QCheckBox *chkMatchString = nullptr;
    QCheckBox *chkMatchCase = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    FindHost *m_host;
    Interaction &m_ui;
    FindState &m_state;
};
