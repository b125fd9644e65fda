#include "app/cli_commands.h"

#include "app/json_line.h"
#include "store/cls_ini_registry.h"

#include <cstdio>

namespace {

void writeOut(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

int dump(clsINIRegistry &store, const QStringList &)
{
    QByteArray out;
    constexpr qsizetype kChunk = 1 << 20;
    out.reserve(kChunk + 4096);
    for (const clsINIPtr &record : *store.Registry()) {
        out.append("{\"id\":").append(QByteArray::number(record->ID()));
        out.append(",\"section\":");
        appendJsonString(out, record->Section());
        out.append(",\"key\":");
        appendJsonString(out, record->Key());
        out.append(",\"value\":");
        appendJsonString(out, record->Value());
        out.append("}\n");
        if (out.size() >= kChunk) {
            writeOut(out);
            out.clear();
        }
    }
    writeOut(out);
    return 0;
}

int get(clsINIRegistry &store, const QStringList &args)
{
    writeOut(store.GetRegValue(args[0], args[1]).toUtf8() + '\n');
    return 0;
}

int set(clsINIRegistry &store, const QStringList &args)
{
    return store.SetRegValue(args[0], args[1], args[2]) == 1 ? 1 : 0;
}

int deleteKey(clsINIRegistry &store, const QStringList &args)
{
    store.DeleteKey(args[0], args[1]);
    return 0;
}

} // namespace

const QList<CliCommand> &cliCommands()
{
    static const QList<CliCommand> commands = {
        {"dump", "", "print every record as one JSON object per line", dump, 0},
        {"get", "SECTION KEY", "print the value of KEY in SECTION", get, 2},
        {"set", "SECTION KEY VALUE", "set the value of KEY in SECTION", set, 3},
        {"delete", "SECTION KEY", "delete KEY from SECTION (KEY \"\" deletes the section's header record)", deleteKey,
         2},
    };
    return commands;
}
