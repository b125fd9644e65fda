#include "add_entry_dialog.h"

#include "add_entry.h"
#include "app_error.h"
#include "busy_cursor.h"
#include "ini_store.h"
#include "input_codes.h"
#include "interaction.h"
#include "node_collection.h"
#include "program_icon.h"
#include "tree_build.h"
#include "tree_commands.h"
#include "twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
const QString kAddSection = QStringLiteral("Add Section");
const QString kAddKey = QStringLiteral("Add Key");

} // namespace

AddEntryDialog::AddEntryDialog(QWidget *owner, Interaction &ui, IniStore *store, NodeCollection &nodes)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_ui(ui), m_store(store), m_nodes(nodes), m_owner(owner)
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

    const auto place = setTwipsGeometry;
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
    place(m_sectionEdit, 990, 120, 3510, 300);
    place(m_keyEdit, 990, 510, 3510, 300);
    place(m_valueEdit, 990, 915, 3510, 300);
    place(m_okButton, 4620, 135, 1125, 330);
    place(m_cancelButton, 4620, 540, 1125, 330);
    place(m_sectionLabel, 225, 150, 840, 270);
    place(m_keyLabel, 225, 510, 840, 270);
    place(m_valueLabel, 210, 945, 840, 270);
    setTabOrder(m_sectionEdit, m_keyEdit);
    setTabOrder(m_keyEdit, m_valueEdit);
    setTabOrder(m_valueEdit, m_okButton);
    setTabOrder(m_okButton, m_cancelButton);
    setFixedSize(twipsToPixels(5865, logicalDpiX()), twipsToPixels(1365, logicalDpiY()));

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
    if (event->type() == QEvent::KeyPress) {
        qint16 ascii = characterCode(*static_cast<QKeyEvent *>(event));
        if (ascii != 0) {
            Form_KeyPress(ascii);
            // A key the handler used up (its code cleared) goes no further.
            if (ascii == 0)
                return true;
        }
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

void AddEntryDialog::Form_KeyPress(qint16 &KeyAscii)
{
    if (KeyAscii == 13) {
        KeyAscii = 0;
        onOkClicked();
    }
}

void AddEntryDialog::onCancelClicked()
{
    reject();
}

void AddEntryDialog::onOkClicked()
{
    try {
        if (windowTitle() == kAddSection)
            addSection();
        else if (windowTitle() == kAddKey)
            addKey();
    } catch (const AppError &error) {
        m_ui.reportError(error);
    }
}

IniStore &AddEntryDialog::store() const
{
    if (!m_store)
        throwObjectNotSet();
    return *m_store;
}

void AddEntryDialog::addSection()
{
    IniStore &registry = store();
    IniRecord *const record = addSectionRecord(registry, m_sectionEdit->text());
    if (!record)
        return;
    try {
        m_nodes.append(QString(), nodeKey(NodeKind::Root, record->id()), record, kSectionImage, kSectionImage);
    } catch (const AppError &) {
        // The store must not hold a record the tree does not show.
        registry.records()->removeAt(registry.records()->count());
        throw;
    }
    m_owner->update();
    bool written;
    {
        const BusyCursor busy;
        written = writeSectionRecord(registry, *record);
    }
    // The box has said why; the store and the tree stay as the file is.
    if (!written)
        takeBack(registry, record);
    accept();
}

void AddEntryDialog::addKey()
{
    IniStore &registry = store();
    const qsizetype selected = m_nodes.selectedNode();
    if (selected == 0)
        throwObjectNotSet();
    IniRecord *const record = addKeyRecord(registry, m_sectionEdit->text(), m_keyEdit->text(), m_valueEdit->text());
    if (!record)
        return;
    const qsizetype parent = sectionNodeOf(m_nodes, selected);
    try {
        m_nodes.append(m_nodes.key(parent), nodeKey(NodeKind::Tree, record->id()), record, kKeyImage, kKeyOpenImage);
    } catch (const AppError &) {
        registry.records()->removeAt(registry.records()->count());
        throw;
    }
    m_owner->update();
    bool written = false;
    try {
        const BusyCursor busy;
        written = writeKeyRecord(registry, *record, m_valueEdit->text()) == WriteResult::Written;
    } catch (const AppError &error) {
        m_ui.reportError(error);
    }
    // Not in the file (read-only, or the write failed): not in the store or
    // the tree either. The dialog closes all the same.
    if (!written)
        takeBack(registry, record);
    accept();
}

void AddEntryDialog::takeBack(IniStore &registry, IniRecord *record)
{
    for (const NodeKind kind : {NodeKind::Tree, NodeKind::Root}) {
        const qsizetype node = m_nodes.indexOf(nodeKey(kind, record->id()));
        if (node != 0 && m_nodes.record(node) == record)
            m_nodes.removeAt(node);
    }
    RecordList &records = *registry.records();
    if (records.count() > 0 && records.at(records.count()) == record)
        records.removeAt(records.count());
    m_owner->update();
}
