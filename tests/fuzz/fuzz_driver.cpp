#include "fuzz_corpus.h"
#include "fuzz_session.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);
// Present when the program runs under AddressSanitizer: lets a sanitizer
// report end with the same replay note as a broken promise.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace {

struct Current {
    QString label;
    QString replay;
    QByteArray input;
};
Current g_current;

void reportFailure()
{
    const QString saved = QDir::current().absoluteFilePath(QStringLiteral("fuzz_store-failure.bin"));
    QFile out(saved);
    if (out.open(QIODevice::WriteOnly))
        out.write(g_current.input);
    std::fprintf(stderr, "fuzz_store: failed on %s, saved as %s\nreplay: fuzz_store_driver %s%s\n",
                 qPrintable(g_current.label), qPrintable(saved), qPrintable(saved), qPrintable(g_current.replay));
}

void runOne(const QByteArray &input)
{
    g_current.input = input;
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(input.constData()), std::size_t(input.size()));
}

int usage()
{
    std::fputs("usage: fuzz_store_driver [--seed N] [--from I] [--runs N] | --write-corpus DIR | FILE...\n", stderr);
    return 2;
}

} // namespace

// The fuzz target without libFuzzer: the seed inputs, then `runs` inputs
// made from them at random from `seed` (each replayable on its own with
// --from), or the inputs in the files named (a crash file libFuzzer saved).
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    g_fuzzFailureHook = reportFailure;
    if (__sanitizer_set_death_callback)
        __sanitizer_set_death_callback(reportFailure);

    quint32 seed = 20261207;
    qint64 from = 0;
    qint64 runs = 1500;
    QStringList files;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        bool ok = true;
        if (arg == QLatin1String("--seed") && i + 1 < args.size())
            seed = args[++i].toUInt(&ok);
        else if (arg == QLatin1String("--from") && i + 1 < args.size())
            from = args[++i].toLongLong(&ok);
        else if (arg == QLatin1String("--runs") && i + 1 < args.size())
            runs = args[++i].toLongLong(&ok);
        else if (arg == QLatin1String("--write-corpus") && i + 1 < args.size()) {
            const QDir dir(args[++i]);
            int n = 0;
            for (const QByteArray &input : seedInputs()) {
                QFile out(dir.filePath(QStringLiteral("seed-%1").arg(++n, 2, 10, QLatin1Char('0'))));
                if (!out.open(QIODevice::WriteOnly) || out.write(input) != input.size())
                    return 1;
            }
            return 0;
        } else if (arg.startsWith(QLatin1String("--")))
            return usage();
        else
            files.append(arg);
        if (!ok)
            return usage();
    }

    if (!files.isEmpty()) {
        for (const QString &name : files) {
            QFile in(name);
            if (!in.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "fuzz_store_driver: cannot read %s\n", qPrintable(name));
                return 1;
            }
            g_current.label = name;
            runOne(in.readAll());
            std::printf("%s: ok\n", qPrintable(name));
        }
        return 0;
    }

    std::printf("fuzz_store_driver --seed %u --from %lld --runs %lld\n", seed, static_cast<long long>(from),
                static_cast<long long>(runs));
    std::fflush(stdout);
    if (from == 0) {
        int n = 0;
        for (const QByteArray &input : seedInputs()) {
            g_current.label = QStringLiteral("seed input %1").arg(++n);
            runOne(input);
        }
    }
    for (qint64 i = from; i < from + runs; ++i) {
        const quint32 state[] = {seed, quint32(i), quint32(quint64(i) >> 32)};
        QRandomGenerator random(state, std::size(state));
        g_current.label = QStringLiteral("input %1 of seed %2").arg(i).arg(seed);
        g_current.replay = QStringLiteral("   or   fuzz_store_driver --seed %1 --from %2 --runs 1").arg(seed).arg(i);
        runOne(mutatedInput(random));
        // A long run shows how far it got, in case it has to be stopped.
        if ((i + 1 - from) % 100000 == 0) {
            std::printf("%lld inputs\n", static_cast<long long>(i + 1 - from));
            std::fflush(stdout);
        }
    }
    std::printf("%s%lld inputs, no broken promise\n", qPrintable(fuzzStatistics()), static_cast<long long>(runs));
    return 0;
}
