#include "frm_ini.h"

#include "app_error.h"
#include "busy_cursor.h"
#include "file_access.h"
#include "file_history.h"
#include "frm_find.h"
#include "g_registry.h"
#include "gui_log.h"
#include "interaction.h"
#include "mod_file_assoc.h"
#include "node_tree_view.h"
#include "program_icon.h"
#include "splitter_bar.h"
#include "tree_build.h"
#include "twips.h"
#include "value_list.h"
#include "xdg_registry.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

namespace {
const QString kCaption = QStringLiteral("Configuration Editor");
// The client area the window opens with, in twips.
constexpr double kDesignClientWidth = 6690;
constexpr double kDesignClientHeight = 5685;
} // namespace

frmINI::frmINI(Interaction &ui, QString commandLine, QWidget *parent)
    : QMainWindow(parent), m_ui(ui), m_commandLine(std::move(commandLine)), m_history(FileHistory::fromEnvironment())
{
    setObjectName(QStringLiteral("frmINI"));
    setWindowTitle(kCaption);
    setWindowIcon(programIcon());

    m_client = new QWidget(this);
    setCentralWidget(m_client);
    // Every key typed in this window passes the window's own handlers
    // first; the same filter sees the client area's resizes.
    qApp->installEventFilter(this);

    tvw = new NodeTreeView(m_client);
    tvw->setObjectName(QStringLiteral("tvw"));
    imgTree = makeTreeImages(*style());
    tvw->setImageList(imgTree);

    Splitter = new SplitterBar(m_client);
    Splitter->setObjectName(QStringLiteral("Splitter"));

    lvw = new ValueList(m_client);
    lvw->setObjectName(QStringLiteral("lvw"));
    setTabOrder(tvw, lvw);

    connect(tvw, &NodeTreeView::nodeClick, this, &frmINI::tvw_NodeClick);
    connect(tvw, &NodeTreeView::nodeCollapse, this, &frmINI::tvw_Collapse);
    tvw->beforeLabelEdit = [this](qint16 &cancel) { tvw_BeforeLabelEdit(cancel); };
    lvw->beforeLabelEdit = [this](qint16 &cancel) { lvw_BeforeLabelEdit(cancel); };
    lvw->afterLabelEdit = [this](qint16 &cancel, const std::optional<QString> &text) {
        lvw_AfterLabelEdit(cancel, text);
    };
    connect(Splitter, &SplitterBar::MouseDown, this, &frmINI::Splitter_MouseDown);
    connect(Splitter, &SplitterBar::MouseMove, this, &frmINI::Splitter_MouseMove);
    connect(Splitter, &SplitterBar::MouseUp, this, &frmINI::Splitter_MouseUp);

    // Told once per run; the message waits until the write that could not
    // keep its version is done and the file's lock is free.
    m_history->setFailureNotice([this](const QString &text) {
        QTimer::singleShot(0, this, [this, text] { m_ui.MsgBox(text, vbExclamation); });
    });

    buildMenus();
    connectShortcuts();
    applyLayout();

    // Open with the designed client area, centred on the screen.
    const QSize client(twipsToPixels(kDesignClientWidth, logicalDpiX()),
                       twipsToPixels(kDesignClientHeight, logicalDpiY()));
    resize(client.width(), client.height() + menuBar()->sizeHint().height());
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }

    Form_Load();
}

frmINI::~frmINI()
{
    // The panes may still report (an open edit closes as they go); they go
    // first, while the handlers they call still belong to a whole window.
    qApp->removeEventFilter(this);
    delete m_client;
    if (frmFind *dialog = findDialog()) {
        dialog->detachHost();
        delete dialog;
    }
}

void frmINI::buildMenus()
{
    auto action = [this](QMenu *menu, const char *name, const QString &caption, void (frmINI::*handler)()) {
        QAction *item = menu->addAction(caption);
        item->setObjectName(QLatin1StringView(name));
        connect(item, &QAction::triggered, this, handler);
        return item;
    };
    auto separator = [](QMenu *menu, const char *name) {
        QAction *item = menu->addSeparator();
        item->setObjectName(QLatin1StringView(name));
        return item;
    };
    auto submenu = [](QMenu *menu, const char *name, const QString &caption) {
        QMenu *sub = menu->addMenu(caption);
        sub->setObjectName(QLatin1StringView(name));
        return sub;
    };

    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuOpen = action(mnuFile, "mnuOpen", QStringLiteral("&Open File"), &frmINI::mnuOpen_Click);
    mnuLine1 = separator(mnuFile, "mnuLine1");
    mnuHistory = action(mnuFile, "mnuHistory", QStringLiteral("&History..."), &frmINI::mnuHistory_Click);
    mnuExit = action(mnuFile, "mnuExit", QStringLiteral("E&xit"), &frmINI::mnuExit_Click);

    mnuEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    mnuNew = submenu(mnuEdit, "mnuNew", QStringLiteral("&New"));
    mnuNewSection = action(mnuNew, "mnuNewSection", QStringLiteral("&Section"), &frmINI::mnuNewSection_Click);
    mnuNewKey = action(mnuNew, "mnuNewKey", QStringLiteral("&Key"), &frmINI::mnuNewKey_Click);
    mnuLine2 = separator(mnuEdit, "mnuLine2");
    mnuDelete = submenu(mnuEdit, "mnuDelete", QStringLiteral("&Delete"));
    mnuDelSection = action(mnuDelete, "mnuDelSection", QStringLiteral("&Section"), &frmINI::mnuDelSection_Click);
    mnuDelKey = action(mnuDelete, "mnuDelKey", QStringLiteral("&Key"), &frmINI::mnuDelKey_Click);
    mnuLine3 = separator(mnuEdit, "mnuLine3");
    mnuFind = action(mnuEdit, "mnuFind", QStringLiteral("&Find...      Ctl+F"), &frmINI::mnuFind_Click);
    mnuNext = action(mnuEdit, "mnuNext", QStringLiteral("Next        F3"), &frmINI::mnuNext_Click);

    mnuAbout = menuBar()->addAction(QStringLiteral("&About"));
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));
    connect(mnuAbout, &QAction::triggered, this, &frmINI::mnuAbout_Click);
}

void frmINI::Form_Load()
{
    // The shell verb is written again at every start, so that it follows the
    // program wherever it was moved to. Nothing here may stop the start.
    QString appPath;
    try {
        appPath = ProgramPath(QCoreApplication::applicationDirPath());
    } catch (const std::exception &error) {
        qCWarning(lcGui) << "no program path for the shell verb:" << error.what();
    }
    try {
        XdgRegistry desktop;
        modFileAssoc(desktop, m_ui).RegisterShellVerb(appPath);
    } catch (const std::exception &error) {
        qCWarning(lcGui) << "the shell verb was not registered:" << error.what();
    }
}

void frmINI::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // The first activation comes once the window is on screen, so that the
    // store's prompts stand over a painted window.
    QTimer::singleShot(0, this, [this] { Form_Activate(); });
}

void frmINI::Form_Activate()
{
    enum Step { CreateStore = 1, CheckFileName, ReadCommand, AssignFileName, Load, Caption, Done };
    QString commandText;
    // From the load on, to the tree built and shown.
    std::optional<BusyCursor> busy;
    for (int step = CreateStore; step < Done; ++step) {
        try {
            switch (step) {
            case CreateStore:
                if (!gRegistry)
                    createStore();
                break;
            case CheckFileName:
                if (!gRegistry->FileName().isEmpty())
                    return;
                break;
            case ReadCommand:
                commandText = m_commandLine;
                break;
            case AssignFileName:
                gRegistry->setFileName(commandText);
                break;
            case Load:
                busy.emplace();
                gRegistry->LoadINI();
                break;
            case Caption:
                setWindowTitle(windowTitle() + QStringLiteral(" - ") + gRegistry->FileName());
                break;
            }
        } catch (const AppError &error) {
            m_ui.MsgBox(error.description(), vbCritical);
            if (error.number() == kStoreErrorNumber)
                continue;
            return;
        } catch (const std::bad_alloc &) {
            m_ui.MsgBox(QStringLiteral("Out of memory"), vbCritical);
            return;
        }
    }

    showLoadedFile();
}

void frmINI::showLoadedFile()
{
    // Building and opening the tree, then the read-only notice; a step that
    // fails is passed over.
    NodeCollection &nodes = tvw->Nodes();
    nodes.beginUpdate();
    try {
        FillTree();
    } catch (const std::exception &error) {
        qCWarning(lcGui) << "the tree was not filled:" << error.what();
    }
    try {
        ExpandTree(nodes);
    } catch (const std::exception &error) {
        qCWarning(lcGui) << "the tree was not expanded:" << error.what();
    }
    nodes.endUpdate();
    m_treeLoad = gRegistry->LoadCount();
    watchOpenFile();
    try {
        if (isReadOnlyFile(gRegistry->FileName()))
            m_ui.MsgBox(gRegistry->FileName() + QStringLiteral(" is read only"), vbInformation);
    } catch (const std::exception &error) {
        qCWarning(lcGui) << "the read-only notice was not shown:" << error.what();
    }
}

void frmINI::FillTree()
{
    ::FillTree(tvw->Nodes(), *gRegistry->Registry());
}

bool frmINI::SectionNodeExists(const QString &Section) const
{
    return ::SectionNodeExists(tvw->Nodes(), Section);
}

void frmINI::Form_Unload(qint16 &Cancel)
{
    if (bEditing) {
        Cancel = 1;
        return;
    }
    gRegistry.reset();
}

void frmINI::closeEvent(QCloseEvent *event)
{
    qint16 cancel = 0;
    Form_Unload(cancel);
    if (cancel) {
        event->ignore();
        return;
    }
    event->accept();
    // Other windows of ours, shown or hidden, do not keep the program alive.
    QCoreApplication::quit();
}
