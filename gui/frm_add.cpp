#include "frm_add.h"

#include "add_entry.h"
#include "app_error.h"
#include "busy_cursor.h"
#include "cls_ini_registry.h"
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

frmAdd::frmAdd(QWidget *owner, Interaction &ui, clsINIRegistry *store, NodeCollection &nodes)
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

    Text1 = field("Text1");
    Text2 = field("Text2");
    Text3 = field("Text3");
    btnOK = button("btnOK", QStringLiteral("&OK"));
    btnCancel = button("btnCancel", QStringLiteral("&Cancel"));
    Label1 = label("Label1", QStringLiteral("Section:"));
    Label2 = label("Label2", QStringLiteral("Key:"));
    Label3 = label("Label3", QStringLiteral("Value:"));
    place(Text1, 990, 120, 3510, 300);
    place(Text2, 990, 510, 3510, 300);
    place(Text3, 990, 915, 3510, 300);
    place(btnOK, 4620, 135, 1125, 330);
    place(btnCancel, 4620, 540, 1125, 330);
    place(Label1, 225, 150, 840, 270);
    place(Label2, 225, 510, 840, 270);
    place(Label3, 210, 945, 840, 270);
    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Text3);
    setTabOrder(Text3, btnOK);
    setTabOrder(btnOK, btnCancel);
    setFixedSize(twipsToPixels(5865, logicalDpiX()), twipsToPixels(1365, logicalDpiY()));

    connect(btnOK, &QPushButton::clicked, this, &frmAdd::btnOK_Click);
    connect(btnCancel, &QPushButton::clicked, this, &frmAdd::btnCancel_Click);
}

void frmAdd::greyOut(QLineEdit *field)
{
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    field->setPalette(palette);
    field->setEnabled(false);
}

bool frmAdd::eventFilter(QObject *watched, QEvent *event)
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

void frmAdd::keyPressEvent(QKeyEvent *event)
{
    // Escape does not close this dialog; only Cancel and the close box do.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmAdd::Form_KeyPress(qint16 &KeyAscii)
{
    if (KeyAscii == 13) {
        KeyAscii = 0;
        btnOK_Click();
    }
}

void frmAdd::btnCancel_Click()
{
    reject();
}

void frmAdd::btnOK_Click()
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

clsINIRegistry &frmAdd::store() const
{
    if (!m_store)
        throwObjectNotSet(objectName());
    return *m_store;
}

void frmAdd::addSection()
{
    clsINIRegistry &registry = store();
    const clsINIPtr record = AddSectionRecord(registry, Text1->text());
    if (!record)
        return;
    try {
        m_nodes.Add(QString(), nodeKey(NodeKind::Root, record->ID()), record, kSectionImage, kSectionImage);
    } catch (const AppError &) {
        // The store must not hold a record the tree does not show.
        registry.Registry()->Remove(registry.Registry()->Count());
        throw;
    }
    m_owner->update();
    bool written;
    {
        const BusyCursor busy;
        written = WriteSectionRecord(registry, *record);
    }
    // AppendLine has said why; the store and the tree stay as the file is.
    if (!written)
        takeBack(registry, record);
    accept();
}

void frmAdd::addKey()
{
    clsINIRegistry &registry = store();
    const qsizetype selected = m_nodes.SelectedItem();
    if (selected == 0)
        throwObjectNotSet(objectName());
    const clsINIPtr record = AddKeyRecord(registry, Text1->text(), Text2->text(), Text3->text());
    if (!record)
        return;
    const qsizetype parent = SectionNodeOf(m_nodes, selected);
    try {
        m_nodes.Add(m_nodes.Key(parent), nodeKey(NodeKind::Tree, record->ID()), record, kKeyImage, kKeyOpenImage);
    } catch (const AppError &) {
        registry.Registry()->Remove(registry.Registry()->Count());
        throw;
    }
    m_owner->update();
    bool written = false;
    try {
        const BusyCursor busy;
        written = WriteKeyRecord(registry, *record, Text3->text()) == 0;
    } catch (const AppError &error) {
        m_ui.reportError(error);
    }
    // Not in the file (read-only, or the write failed): not in the store or
    // the tree either. The dialog closes all the same.
    if (!written)
        takeBack(registry, record);
    accept();
}

void frmAdd::takeBack(clsINIRegistry &registry, const clsINIPtr &record)
{
    for (const NodeKind kind : {NodeKind::Tree, NodeKind::Root}) {
        const qsizetype node = m_nodes.Find(nodeKey(kind, record->ID()));
        if (node != 0 && m_nodes.Record(node) == record)
            m_nodes.Remove(node);
    }
    clsINIList &records = *registry.Registry();
    if (records.Count() > 0 && records.Item(records.Count()) == record)
        records.Remove(records.Count());
    m_owner->update();
}
