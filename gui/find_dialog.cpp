#include "find_dialog.h"

#include "find_host.h"
#include "find_state.h"
#include "ini_store.h"
#include "interaction.h"
#include "program_icon.h"
#include "record_search.h"
#include "text_helpers.h"
#include "twips.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FindDialog::FindDialog(FindHost *host, Interaction &ui, FindState &state)
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

    auto named = [](QWidget *w, const char *name) {
        w->setObjectName(QLatin1StringView(name));
        return w;
    };

    m_textEdit = new QLineEdit(this);
    named(m_textEdit, "txtString");
    m_textLabel = new QLabel(QStringLiteral("Fi&nd What:"), this);
    named(m_textLabel, "Label1");
    m_textLabel->setBuddy(m_textEdit);
    m_findButton = new QPushButton(QStringLiteral("&Find Next"), this);
    named(m_findButton, "btnFind");
    m_cancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    named(m_cancelButton, "btnCancel");
    m_optionsBox = new QGroupBox(QStringLiteral("Look at:"), this);
    named(m_optionsBox, "Frame1");
    m_sectionsCheck = new QCheckBox(QStringLiteral("&Section Names"), m_optionsBox);
    named(m_sectionsCheck, "chkSection");
    m_keysCheck = new QCheckBox(QStringLiteral("&Key Names"), m_optionsBox);
    named(m_keysCheck, "chkKey");
    m_valuesCheck = new QCheckBox(QStringLiteral("&Value Names"), m_optionsBox);
    named(m_valuesCheck, "chkValue");
    m_wholeStringCheck = new QCheckBox(QStringLiteral("Match &whole sting only"), this);
    named(m_wholeStringCheck, "chkMatchString");
    m_matchCaseCheck = new QCheckBox(QStringLiteral("&Case sensitive search"), this);
    named(m_matchCaseCheck, "chkMatchCase");

    // Laid out by Qt rather than placed: each check box inside its frame,
    // below the frame's title, whatever the style draws, and the label on
    // the line of its field.
    m_textEdit->setMinimumWidth(twipsToPixels(3450, logicalDpiX()));
    for (QPushButton *b : {m_findButton, m_cancelButton})
        b->setMinimumWidth(twipsToPixels(1215, logicalDpiX()));
    auto *options = new QVBoxLayout(m_optionsBox);
    options->setSpacing(0);
    for (QCheckBox *check : {m_sectionsCheck, m_keysCheck, m_valuesCheck})
        options->addWidget(check);
    auto *matching = new QHBoxLayout;
    matching->addWidget(m_wholeStringCheck, 1);
    matching->addWidget(m_matchCaseCheck, 1);
    auto *grid = new QGridLayout(this);
    grid->addWidget(m_textLabel, 0, 0);
    grid->addWidget(m_textEdit, 0, 1);
    grid->addWidget(m_findButton, 0, 2);
    grid->addWidget(m_optionsBox, 1, 0, 2, 2);
    grid->addWidget(m_cancelButton, 1, 2, Qt::AlignTop);
    grid->addLayout(matching, 3, 0, 1, 2);
    grid->setColumnMinimumWidth(0, twipsToPixels(915, logicalDpiX()));
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);

    m_textEdit->setAccessibleName(QStringLiteral("Find what"));
    for (QAbstractButton *b :
         std::initializer_list<QAbstractButton *>{m_findButton, m_cancelButton, m_sectionsCheck, m_keysCheck,
                                                  m_valuesCheck, m_wholeStringCheck, m_matchCaseCheck})
        b->setAccessibleName(b->text().remove(QLatin1Char('&')));

    setTabOrder(m_textEdit, m_findButton);
    setTabOrder(m_findButton, m_cancelButton);
    setTabOrder(m_cancelButton, m_wholeStringCheck);
    setTabOrder(m_wholeStringCheck, m_sectionsCheck);
    setTabOrder(m_sectionsCheck, m_keysCheck);
    setTabOrder(m_keysCheck, m_valuesCheck);
    setTabOrder(m_valuesCheck, m_matchCaseCheck);
    // As large as the layout needs, and no larger or smaller.
    setFixedSize(sizeHint());

    // Neither button answers Enter or Escape for the dialog.
    m_findButton->setAutoDefault(false);
    m_cancelButton->setAutoDefault(false);
    m_findButton->setEnabled(false);
    m_textEdit->installEventFilter(this);

    connect(m_textEdit, &QLineEdit::textChanged, this, &FindDialog::onTextChanged);
    connect(m_findButton, &QPushButton::clicked, this, &FindDialog::onFindClicked);
    connect(m_cancelButton, &QPushButton::clicked, this, &FindDialog::onCancelClicked);
    connect(m_matchCaseCheck, &QCheckBox::clicked, this, &FindDialog::onMatchCaseClicked);

    // Every part of a record is searched until the person says otherwise.
    m_sectionsCheck->setChecked(true);
    m_keysCheck->setChecked(true);
    m_valuesCheck->setChecked(true);
}

FindDialog::~FindDialog()
{
    if (m_host)
        m_host->findClosed();
}

void FindDialog::onTextChanged()
{
    m_findButton->setEnabled(!trimBlanks(m_textEdit->text()).isEmpty());
}

bool FindDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_textEdit && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            findOnEnter();
    }
    return QWidget::eventFilter(watched, event);
}

void FindDialog::keyPressEvent(QKeyEvent *event)
{
    // Escape has no meaning here; the dialog stays.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FindDialog::findOnEnter()
{
    if (!trimBlanks(m_textEdit->text()).isEmpty()) {
        m_findButton->setEnabled(true);
        findNext();
    }
}

bool FindDialog::canFindNext() const
{
    return m_findButton->isEnabled();
}

void FindDialog::onMatchCaseClicked()
{
    m_state.lastFoundId = 0;
}

void FindDialog::onCancelClicked()
{
    close();
}

void FindDialog::findNext()
{
    onFindClicked();
}

void FindDialog::onFindClicked()
{
    SearchOptions options;
    options.text = m_textEdit->text();
    options.matchCase = m_matchCaseCheck->isChecked();
    options.matchWholeString = m_wholeStringCheck->isChecked();
    options.sections = m_sectionsCheck->isChecked();
    options.keys = m_keysCheck->isChecked();
    options.values = m_valuesCheck->isChecked();

    FindState &state = m_state;
    const IniStore *store = m_host ? m_host->findStore() : nullptr;
    qsizetype hit = -1;
    if (store) {
        // The file may have been read again since the last hit.
        followHit(state, *store);
        hit = findNextRecord(*store->records(), options, state.lastFoundId);
    }
    if (hit >= 0) {
        IniRecord *const record = store->records()->at(hit + 1);
        rememberHit(state, *store, hit);
        hide();
        if (m_host)
            m_host->showFindHit(*record);
        return;
    }
    if (state.lastFoundId > 0)
        m_ui.tell(QStringLiteral("Seaching has finished. Press F3 to find '") + options.text
                      + QStringLiteral("' again"),
                  MessageIcon::Information);
    else
        m_ui.tell(QStringLiteral("'") + options.text + QStringLiteral("' not found"), MessageIcon::Warning);
    state.lastFoundId = 0;
}
