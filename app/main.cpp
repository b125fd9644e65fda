// larkspur: the editor window.
#include "main_window.h"
#include "program_icon.h"
#include "qt_interaction.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {
bool hasDisplay()
{
    auto set = [](const char *name) {
        const char *value = std::getenv(name);
        return value && *value;
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}
} // namespace

int main(int argc, char **argv)
{
    if (!hasDisplay()) {
        std::fputs("larkspur: no display to open the window on (DISPLAY is not set); "
                   "scripts/run FILE shows it over VNC instead, or run it under xvfb-run -a\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Larkspur"));
    // Lets the desktop match the window to the installed menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.larkspur.Larkspur"));
    // Message boxes and any other window of ours carry the program's icon too.
    QApplication::setWindowIcon(programIcon());

    // The shell split the command line at blanks; the file name is all of it.
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();

    QtInteraction ui;
    MainWindow form(ui, arguments.join(QLatin1Char(' ')));
    form.show();
    return QApplication::exec();
}
