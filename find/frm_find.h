#pragma once

#include <QWidget>

class FindHost;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The modeless Find dialog. A hit hides it (it stays loaded, so F3 can go
// on with its text and options); Cancel and the close box destroy it.
class frmFind : public QWidget {
    Q_OBJECT
public:
    explicit frmFind(FindHost *host);
    ~frmFind() override;

    // One search run, as a click on Find Next.
    void FindNext();
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
};
