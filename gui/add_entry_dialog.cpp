#include "add_entry_dialog.h"

#include "add_entry.h"
#include "app_error.h"
#include "interaction.h"
#include "program_icon.h"
#include "text_helpers.h"
#include "twips.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
const QString kAddSection = QStringLiteral("Add Section");
const QString kAddKey = QStringLiteral("Add Key");

// Return and Enter, and Ctrl+M, which types the same carriage return.
bool typesCarriageReturn(const QKeyEvent &event)
{
    const int key = event.key();
    if ((event.modifiers() & Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z)
        return key == Qt::Key_M;
    return key == Qt::Key_Return || key == Qt::Key_Enter || event.text().startsWith(QLatin1Char('\r'));
}
} // namespace

AddEntryDialog::AddEntryDialog(QWidget *owner, Interaction &ui, const IniStore *store)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_ui(ui), m_store(store)
{
    setObjectName(QStringLiteral("frmAdd"));
    setWindowTitle(QStringLiteral("Form1"));
    setModal(true);
    setWindowIcon(programIcon());
    // The fixed layout is drawn for a small dialog font; at the desktop's
    // usual size the longer captions would not fit their boxes.
    QFont small = font();
    small.setPointSizeF(8);
    setFont(small);

    auto field = [this](const char *name) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QLatin1StringView(name));
        edit->installEventFilter(this);
        return edit;
    };
    auto button = [this](const char *name, const QString &caption) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QLatin1StringView(name));
        // Enter belongs to the dialog's key preview, not to a default button.
        b->setAutoDefault(false);
        b->setDefault(false);
        b->installEventFilter(this);
        return b;
    };
    auto label = [this](const char *name, const QString &caption) {
        auto *l = new QLabel(caption, this);
        l->setObjectName(QLatin1StringView(name));
        return l;
    };

    m_sectionEdit = field("Text1");
    m_keyEdit = field("Text2");
    m_valueEdit = field("Text3");
    m_okButton = button("btnOK", QStringLiteral("&OK"));
    m_cancelButton = button("btnCancel", QStringLiteral("&Cancel"));
    m_sectionLabel = label("Label1", QStringLiteral("Section:"));
    m_keyLabel = label("Label2", QStringLiteral("Key:"));
    m_valueLabel = label("Label3", QStringLiteral("Value:"));
    // Laid out by Qt rather than placed: each label on the line of its
    // field, all of them at one left edge.
    auto *grid = new QGridLayout(this);
    const QList<std::pair<QLabel *, QLineEdit *>> rows{
        {m_sectionLabel, m_sectionEdit}, {m_keyLabel, m_keyEdit}, {m_valueLabel, m_valueEdit}};
    for (int row = 0; row < rows.size(); ++row) {
        auto [text, edit] = rows[row];
        text->setBuddy(edit);
        edit->setAccessibleName(text->text().chopped(1));
        edit->setMinimumWidth(twipsToPixels(3510, logicalDpiX()));
        grid->addWidget(text, row, 0);
        grid->addWidget(edit, row, 1);
    }
    for (QPushButton *b : {m_okButton, m_cancelButton}) {
        b->setMinimumWidth(twipsToPixels(1125, logicalDpiX()));
        b->setAccessibleName(b->text().remove(QLatin1Char('&')));
    }
    grid->addWidget(m_okButton, 0, 2);
    grid->addWidget(m_cancelButton, 1, 2);
    grid->setColumnMinimumWidth(0, twipsToPixels(765, logicalDpiX()));
    setTabOrder(m_sectionEdit, m_keyEdit);
    setTabOrder(m_keyEdit, m_valueEdit);
    setTabOrder(m_valueEdit, m_okButton);
    setTabOrder(m_okButton, m_cancelButton);
    // As large as the layout needs, and no larger or smaller.
    setFixedSize(sizeHint());

    connect(m_okButton, &QPushButton::clicked, this, &AddEntryDialog::onOkClicked);
    connect(m_cancelButton, &QPushButton::clicked, this, &AddEntryDialog::onCancelClicked);
}

void AddEntryDialog::greyOut(QLineEdit *field)
{
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    field->setPalette(palette);
    field->setEnabled(false);
}

bool AddEntryDialog::eventFilter(QObject *watched, QEvent *event)
{
    // Every field and button sees Enter as OK, and the key goes no further.
    if (event->type() == QEvent::KeyPress && typesCarriageReturn(*static_cast<QKeyEvent *>(event))) {
        onOkClicked();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void AddEntryDialog::keyPressEvent(QKeyEvent *event)
{
    // Escape does not close this dialog; only Cancel and the close box do.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void AddEntryDialog::onCancelClicked()
{
    reject();
}

AddEntryDialog::Entry AddEntryDialog::entry() const
{
    if (windowTitle() == kAddSection)
        return {m_sectionEdit->text(), QString(), QString()};
    return {m_sectionEdit->text(), m_keyEdit->text(), m_valueEdit->text()};
}

void AddEntryDialog::onOkClicked()
{
    try {
        if ((windowTitle() == kAddSection && acceptableSection()) || (windowTitle() == kAddKey && acceptableKey()))
            accept();
    } catch (const AppError &error) {
        m_ui.reportError(error);
    }
}

const IniStore &AddEntryDialog::store() const
{
    if (!m_store)
        throwObjectNotSet();
    return *m_store;
}

bool AddEntryDialog::acceptableSection() const
{
    const IniStore &registry = store();
    if (trimBlanks(m_sectionEdit->text()).isEmpty())
        return false;
    checkNewSection(registry, m_sectionEdit->text());
    return true;
}

bool AddEntryDialog::acceptableKey() const
{
    const IniStore &registry = store();
    if (trimBlanks(m_keyEdit->text()).isEmpty())
        return false;
    checkNewKey(registry, m_sectionEdit->text(), m_keyEdit->text(), m_valueEdit->text());
    return true;
}
