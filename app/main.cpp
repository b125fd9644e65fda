// larkspur: the editor window.
#include "main_window/frm_ini.h"
#include "platform/command_line.h"
#include "platform/huge_page_heap.h"
#include "platform/qt_platform_ui.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace {
bool hasDisplay() {
    auto set = [](const char *name) {
        const char *value = std::getenv(name);
        return value && *value;
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}
} // namespace

int main(int argc, char **argv) {
    restartWithHugePageHeap(argv);
    if (!hasDisplay()) {
        std::fputs("larkspur: no display to open the window on (DISPLAY is not set); "
                   "on a machine without one, run it under xvfb-run: xvfb-run -a scripts/run FILE\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Larkspur"));

    // The shell split the command line at blanks; the file name is all of it.
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    setCommand(arguments.join(QLatin1Char(' ')));

    QtPlatformUi ui;
    setPlatformUi(&ui);
    int result = 0;
    {
        frmINI form;
        form.show();
        result = QApplication::exec();
    }
    setPlatformUi(nullptr);
    return result;
}
