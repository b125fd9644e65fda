#include "main_window.h"

#include "app_error.h"
#include "busy_cursor.h"
#include "file_access.h"
#include "file_association.h"
#include "file_follower.h"
#include "file_history.h"
#include "find_dialog.h"
#include "gui_log.h"
#include "interaction.h"
#include "node_tree_view.h"
#include "program_icon.h"
#include "splitter_bar.h"
#include "tree_build.h"
#include "twips.h"
#include "value_list.h"

#include <QAction>
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

MainWindow::MainWindow(Interaction &ui, QString commandLine, QWidget *parent)
    : QMainWindow(parent), m_ui(ui), m_commandLine(std::move(commandLine)), m_history(FileHistory::fromEnvironment())
{
    setObjectName(QStringLiteral("frmINI"));
    setWindowTitle(kCaption);
    setWindowIcon(programIcon());

    m_client = new QWidget(this);
    setCentralWidget(m_client);
    // Every key typed in this window passes the window's own handlers first.
    qApp->installEventFilter(this);

    m_tree = new NodeTreeView(m_client);
    m_tree->setObjectName(QStringLiteral("tvw"));
    m_tree->setAccessibleName(QStringLiteral("Sections and keys"));
    m_images = makeTreeImages(*style());
    m_tree->setImageList(m_images);

    m_splitter = new SplitterBar(m_client);
    m_splitter->setObjectName(QStringLiteral("Splitter"));

    m_valuePane = new ValueList(m_client);
    m_valuePane->setObjectName(QStringLiteral("lvw"));
    m_valuePane->setAccessibleName(QStringLiteral("Value"));
    setTabOrder(m_tree, m_valuePane);

    m_paneLayout = new PaneLayout(m_client, m_tree, m_splitter, m_valuePane);

    // Told once per run; the message waits until the write that could not
    // keep its version is done and the file's lock is free.
    m_history->setFailureNotice([this](const QString &text) {
        QTimer::singleShot(0, this, [this, text] { m_ui.tell(text, MessageIcon::Warning); });
    });

    m_follower = new FileFollower([this] { return m_store.get(); }, [this] { return busyWithPerson(); },
                                  [this] { followStore(); }, this);

    buildMenus();
    m_treePane = new TreePane(
        *m_tree, *m_valuePane, *m_menus, m_ui, [this] { return m_store.get(); }, this);
    // Written into a file another program had changed, the value came with
    // new records; the tree follows once the editor has closed.
    connect(m_treePane, &TreePane::valueWritten, this,
            [this] { QTimer::singleShot(0, this, [this] { followStore(); }); });
    connectShortcuts();
    connectUndo();
    m_paneLayout->apply();

    // Open with the designed client area, centred on the screen.
    const QSize client(twipsToPixels(kDesignClientWidth, logicalDpiX()),
                       twipsToPixels(kDesignClientHeight, logicalDpiY()));
    resize(client.width(), client.height() + menuBar()->sizeHint().height());
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }

    registerShellVerb();
}

MainWindow::~MainWindow()
{
    // The panes may still report (an open edit closes as they go); they go
    // first, while the handlers they call still belong to a whole window.
    qApp->removeEventFilter(this);
    delete m_client;
    if (m_findDialog) {
        m_findDialog->detachHost();
        delete m_findDialog;
    }
}

void MainWindow::buildMenus()
{
    m_menus = std::make_unique<MainMenus>(*menuBar());
    connect(m_menus->openAction(), &QAction::triggered, this, &MainWindow::openFile);
    connect(m_menus->historyAction(), &QAction::triggered, this, &MainWindow::showHistory);
    connect(m_menus->exitAction(), &QAction::triggered, this, &MainWindow::exitProgram);
    connect(m_menus->newSectionAction(), &QAction::triggered, this, &MainWindow::newSection);
    connect(m_menus->newKeyAction(), &QAction::triggered, this, &MainWindow::newKey);
    connect(m_menus->deleteSectionAction(), &QAction::triggered, this, &MainWindow::deleteSection);
    connect(m_menus->deleteKeyAction(), &QAction::triggered, this, &MainWindow::deleteKey);
    connect(m_menus->findAction(), &QAction::triggered, this, &MainWindow::showFind);
    connect(m_menus->findNextAction(), &QAction::triggered, this, &MainWindow::findNext);
    connect(m_menus->aboutAction(), &QAction::triggered, this, &MainWindow::showAbout);
}

void MainWindow::registerShellVerb()
{
    // Written again at every start. Nothing here may stop the start.
    QString appPath;
    try {
        appPath = FileAssociation::programPath(QCoreApplication::applicationDirPath());
    } catch (const std::exception &error) {
        qCWarning(lcGui) << "no program path for the shell verb:" << error.what();
    }
    try {
        FileAssociation(m_ui).registerIniFiles(appPath);
    } catch (const std::exception &error) {
        qCWarning(lcGui) << "the shell verb was not registered:" << error.what();
    }
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // The first activation comes once the window is on screen, so that the
    // store's prompts stand over a painted window.
    QTimer::singleShot(0, this, [this] { activate(); });
}

void MainWindow::activate()
{
    enum Step { CreateStore = 1, CheckFileName, ReadCommand, AssignFileName, Load, Caption, Done };
    QString commandText;
    // From the load on, to the tree built and shown.
    std::optional<BusyCursor> busy;
    for (int step = CreateStore; step < Done; ++step) {
        try {
            switch (step) {
            case CreateStore:
                if (!m_store)
                    createStore();
                break;
            case CheckFileName:
                if (!m_store->fileName().isEmpty())
                    return;
                break;
            case ReadCommand:
                commandText = m_commandLine;
                break;
            case AssignFileName:
                m_store->setFileName(commandText);
                break;
            case Load:
                busy.emplace();
                m_store->load();
                break;
            case Caption:
                setWindowTitle(windowTitle() + QStringLiteral(" - ") + m_store->fileName());
                break;
            }
        } catch (const AppError &error) {
            m_ui.tell(error.description(), MessageIcon::Critical);
            if (error.kind() == ErrorKind::Store)
                continue;
            return;
        } catch (const std::bad_alloc &) {
            m_ui.tell(QStringLiteral("Out of memory"), MessageIcon::Critical);
            return;
        }
    }

    showLoadedFile();
}

void MainWindow::showLoadedFile()
{
    // Building and opening the tree, then the read-only notice; a step that
    // fails is passed over.
    NodeCollection &nodes = m_tree->nodes();
    nodes.beginUpdate();
    try {
        m_treePane->fillTree();
    } catch (const std::exception &error) {
        qCWarning(lcGui) << "the tree was not filled:" << error.what();
    }
    try {
        expandTree(nodes);
    } catch (const std::exception &error) {
        qCWarning(lcGui) << "the tree was not expanded:" << error.what();
    }
    nodes.endUpdate();
    m_treeLoad = m_store->loadCount();
    m_follower->watchOpenFile();
    try {
        if (isReadOnlyFile(m_store->fileName()))
            m_ui.tell(m_store->fileName() + QStringLiteral(" is read only"), MessageIcon::Information);
    } catch (const std::exception &error) {
        qCWarning(lcGui) << "the read-only notice was not shown:" << error.what();
    }
}

bool MainWindow::canClose() const
{
    return !editing();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!canClose()) {
        event->ignore();
        return;
    }
    m_store.reset();
    event->accept();
    // Other windows of ours, shown or hidden, do not keep the program alive.
    QCoreApplication::quit();
}
