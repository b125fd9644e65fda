#include "fuzz_input.h"
#include "fuzz_session.h"

#include <QDir>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

// Enough for a few writes with reloads and read-only switches between them
// (every failure found so far needed four at most), few enough to keep inputs fast.
constexpr int kMaxOperations = 8;

// One folder for the whole run, in memory where the machine has /dev/shm:
// every write flushes its file to disk, which costs nothing there.
QString folder()
{
    static QTemporaryDir dir((QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath())
                             + QStringLiteral("/larkspur-fuzz-XXXXXX"));
    if (!dir.isValid())
        qFatal("fuzz_store: no temporary folder: %s", qPrintable(dir.errorString()));
    return dir.path();
}

} // namespace

// The input's file is loaded into a store; its operations run on the store
// and on the reference model; every documented promise is checked after
// each operation (see fuzz_checks.cpp).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const bool quiet = [] {
        // The store logs each step it passes over; millions of inputs would
        // bury a failure report under them.
        QLoggingCategory::setFilterRules(QStringLiteral("larkspur.*=false"));
        return true;
    }();
    Q_UNUSED(quiet);
    FuzzInput in(data, size);
    const QByteArray file = in.file();
    const bool readOnly = in.byte() & 1;
    FuzzSession session(folder(), file, readOnly);
    for (int n = 0; n < kMaxOperations && !in.atEnd(); ++n)
        session.run(readOperation(in, session.known()));
    return 0;
}
