#include "platform/platform_ui.h"

#include "platform/console_ui.h"

namespace {
PlatformUi *g_installed = nullptr;
}

PlatformUi &platformUi()
{
    static ConsoleUi fallback(QStringLiteral("larkspur"));
    return g_installed ? *g_installed : fallback;
}

void setPlatformUi(PlatformUi *ui)
{
    g_installed = ui;
}

int MsgBox(const QString &text, int style, const QString &title)
{
    return platformUi().messageBox(text, style, title.isEmpty() ? kAppTitle : title);
}
