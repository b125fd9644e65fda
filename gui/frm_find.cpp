#include "frm_find.h"

#include "cls_ini_registry.h"
#include "find_host.h"
#include "find_state.h"
#include "interaction.h"
#include "program_icon.h"
#include "record_search.h"
#include "text_helpers.h"
#include "twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frmFind::frmFind(FindHost *host, Interaction &ui, FindState &state)
    : QWidget(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_host(host), m_ui(ui), m_state(state)
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("Find"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(programIcon());
    // The fixed layout is drawn for a small dialog font; at the desktop's
    // usual size the longer captions would not fit their boxes.
    QFont small = font();
    small.setPointSizeF(8);
    setFont(small);

    const auto place = setTwipsGeometry;
    auto named = [](QWidget *w, const char *name) {
        w->setObjectName(QLatin1StringView(name));
        return w;
    };

    txtString = new QLineEdit(this);
    named(txtString, "txtString");
    Label1 = new QLabel(QStringLiteral("Fi&nd What:"), this);
    named(Label1, "Label1");
    Label1->setBuddy(txtString);
    btnFind = new QPushButton(QStringLiteral("&Find Next"), this);
    named(btnFind, "btnFind");
    btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    named(btnCancel, "btnCancel");
    Frame1 = new QGroupBox(QStringLiteral("Look at:"), this);
    named(Frame1, "Frame1");
    chkSection = new QCheckBox(QStringLiteral("&Section Names"), Frame1);
    named(chkSection, "chkSection");
    chkKey = new QCheckBox(QStringLiteral("&Key Names"), Frame1);
    named(chkKey, "chkKey");
    chkValue = new QCheckBox(QStringLiteral("&Value Names"), Frame1);
    named(chkValue, "chkValue");
    chkMatchString = new QCheckBox(QStringLiteral("Match &whole sting only"), this);
    named(chkMatchString, "chkMatchString");
    chkMatchCase = new QCheckBox(QStringLiteral("&Case sensitive search"), this);
    named(chkMatchCase, "chkMatchCase");

    place(txtString, 1035, 150, 3450, 330);
    place(Label1, 120, 195, 915, 255);
    place(btnFind, 4755, 150, 1215, 330);
    place(btnCancel, 4755, 555, 1215, 330);
    place(Frame1, 105, 630, 4380, 1125);
    place(chkSection, 165, 240, 2265, 240);
    place(chkKey, 165, 510, 2265, 240);
    place(chkValue, 165, 780, 2265, 240);
    place(chkMatchString, 120, 1770, 2250, 495);
    place(chkMatchCase, 2400, 1770, 2250, 495);
    setFixedSize(twipsToPixels(6075, logicalDpiX()), twipsToPixels(2220, logicalDpiY()));

    setTabOrder(txtString, btnFind);
    setTabOrder(btnFind, btnCancel);
    setTabOrder(btnCancel, chkMatchString);
    setTabOrder(chkMatchString, chkSection);
    setTabOrder(chkSection, chkKey);
    setTabOrder(chkKey, chkValue);
    setTabOrder(chkValue, chkMatchCase);

    // Neither button answers Enter or Escape for the dialog.
    btnFind->setAutoDefault(false);
    btnCancel->setAutoDefault(false);
    btnFind->setEnabled(false);
    txtString->installEventFilter(this);

    connect(txtString, &QLineEdit::textChanged, this, &frmFind::txtString_Change);
    connect(btnFind, &QPushButton::clicked, this, &frmFind::btnFind_Click);
    connect(btnCancel, &QPushButton::clicked, this, &frmFind::btnCancel_Click);
    connect(chkMatchCase, &QCheckBox::clicked, this, &frmFind::chkMatchCase_Click);

    Form_Load();
}

frmFind::~frmFind()
{
    if (m_host)
        m_host->FindClosed();
}

void frmFind::Form_Load()
{
    chkSection->setChecked(true);
    chkKey->setChecked(true);
    chkValue->setChecked(true);
}

void frmFind::txtString_Change()
{
    btnFind->setEnabled(!TrimSpaces(txtString->text()).isEmpty());
}

bool frmFind::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtString && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            qint16 ascii = 13;
            txtString_KeyPress(ascii);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmFind::keyPressEvent(QKeyEvent *event)
{
    // Escape has no meaning here; the dialog stays.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmFind::txtString_KeyPress(qint16 &KeyAscii)
{
    if (KeyAscii == 13 && !TrimSpaces(txtString->text()).isEmpty()) {
        btnFind->setEnabled(true);
        FindNext();
    }
}

bool frmFind::canFindNext() const
{
    return btnFind->isEnabled();
}

void frmFind::chkMatchCase_Click()
{
    m_state.LastFoundID = 0;
}

void frmFind::btnCancel_Click()
{
    close();
}

void frmFind::FindNext()
{
    btnFind_Click();
}

void frmFind::btnFind_Click()
{
    SearchOptions options;
    options.text = txtString->text();
    options.matchCase = chkMatchCase->isChecked();
    options.matchWholeString = chkMatchString->isChecked();
    options.sections = chkSection->isChecked();
    options.keys = chkKey->isChecked();
    options.values = chkValue->isChecked();

    FindState &state = m_state;
    const clsINIRegistry *store = m_host ? m_host->findStore() : nullptr;
    qsizetype hit = -1;
    if (store)
        hit = findNextRecord(*store->Registry(), options, state.LastFoundID);
    if (hit >= 0) {
        const clsINIPtr record = store->Registry()->Item(hit + 1);
        state.LastFoundID = record->ID();
        hide();
        if (m_host)
            m_host->ShowFindHit(*record);
        return;
    }
    if (state.LastFoundID > 0)
        m_ui.MsgBox(QStringLiteral("Seaching has finished. Press F3 to find '") + options.text
                        + QStringLiteral("' again"),
                    vbInformation);
    else
        m_ui.MsgBox(QStringLiteral("'") + options.text + QStringLiteral("' not found"), vbExclamation);
    state.LastFoundID = 0;
}
