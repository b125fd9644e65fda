#include "fuzz_corpus.h"

#include <QString>

namespace {

// Operation bytes, as readOperation reads them: an opcode (+16: the section
// and key of one known record, picked by the next byte), then a picker
// byte and an index per text: 0 a known name, 3 an awkward text, 7 a plain
// one.
constexpr int Set = 0, Delete = 4, AddSection = 6, AddKey = 8, DeleteSection = 11, Reload = 13, Toggle = 14;
constexpr int Pair = 16, Known = 0, Awkward = 3, Plain = 7;

const char *const kFiles[] = {
    "; Network\r\n[Net]\r\nhost=example.org\r\nport=8080\r\n\r\n[Display]\r\nwidth=1024\r\nheight=768\r\n",
    "top=1\n[A]\nk=1\nK=2\n[a]\nj=3\n[Empty]\n[B]\nx=caf\xE9\n",
    "\xEF\xBB\xBF[G\xC3\xA9n\xC3\xA9ral]\r\nnom=M\xC3\xBCller\r\n[\xC3\x9Cn\xC3\xAF]\r\n\xC3\x9F=gro\xC3\x9F\r\n",
    "[A]\rk=1\r\rj=2\r",
    "[]\r\n=empty key\r\n[A]\r\n k = spaced \r\n[A]\r\nk=dup",
    "[A]\rk=1\n\nj=2\r\n[B]\nx=1",
    "",
    "#x\r\n;[no]\r\n[ok]\r\n[bad\r\nline without equals\r\n=\r\n==\r\n[x]=y\r\n",
    "[Settings]\r\nLastFile=C:\\Users\\me\\a.ini\r\nRecent1=\r\n[Window]\r\nLeft=10\r\nTop=20\r\n",
    "[Net]\r\nhost=a\r\nNet=self\r\n[NET]\r\nport=1\r\n[Disp]\r\nw=1\r\n[Net]\r\nlate=2\r\n",
};

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (const int value : values)
        out.append(char(value));
    return out;
}

const QByteArray kOperations[] = {
    bytes({Set | Pair, 2, 0, Plain, 7}),
    bytes({Delete | Pair, 1, 0, Set, Known, 0, 0, Plain, 4}),
    bytes({AddSection, Awkward, 18, Plain, 0, AddKey, Known, 3, 0, Plain, 2, Plain, 4}),
    bytes({DeleteSection, Known, 1, Plain, 0, Reload, Set | Pair, 0, 1, Awkward, 25}),
    bytes({Toggle, Set | Pair, 3, 0, Plain, 1, Delete, Known, 2, Plain, 2, Toggle, Delete | Pair, 3, 0}),
    bytes({AddKey, Plain, 0, Awkward, 33, Plain, 4, Set, Plain, 0, Plain, 2, Awkward, 29, Reload}),
};

QByteArray input(const QByteArray &file, char flags, const QByteArray &operations)
{
    QByteArray out;
    out.append(char(file.size() & 0xFF)).append(char(file.size() >> 8 & 0xFF));
    return out + file + flags + operations;
}

QByteArray utf16(const QByteArray &utf8, bool bigEndian)
{
    QByteArray out = bigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
    for (const QChar c : QString::fromUtf8(utf8)) {
        const auto high = char(c.unicode() >> 8);
        const auto low = char(c.unicode() & 0xFF);
        out.append(bigEndian ? high : low).append(bigEndian ? low : high);
    }
    return out;
}

const char kSpecial[] = {'=',        '[',        ']',        '\r',       '\n',       '\0',
                         ' ',        ';',        char(0xE9), char(0xC3), char(0xA9), char(0xFF),
                         char(0xFE), char(0xEF), char(0xBB), char(0xBF), char(0x81), 'k'};

QByteArray mutatedFile(QByteArray file, QRandomGenerator &random)
{
    for (int round = random.bounded(4); round > 0; --round) {
        const int at = file.isEmpty() ? 0 : random.bounded(int(file.size()) + 1);
        switch (random.bounded(8)) {
        case 0:
            if (at < file.size())
                file[at] = char(file[at] ^ (1 << random.bounded(8)));
            break;
        case 1:
        case 2:
            file.insert(at, kSpecial[random.bounded(int(sizeof kSpecial))]);
            break;
        case 3:
            file.remove(at, random.bounded(8));
            break;
        case 4: {
            const int from = file.isEmpty() ? 0 : random.bounded(int(file.size()));
            file.insert(at, file.mid(from, random.bounded(16)));
            break;
        }
        case 5:
            file.replace("\r\n", random.bounded(2) ? "\n" : "\r");
            break;
        case 6:
            file = utf16(file, random.bounded(2));
            break;
        default:
            file.prepend("\xEF\xBB\xBF");
            break;
        }
    }
    return file;
}

} // namespace

QList<QByteArray> seedInputs()
{
    QList<QByteArray> out;
    int n = 0;
    for (const char *file : kFiles) {
        const QByteArray &operations = kOperations[n % std::size(kOperations)];
        out.append(input(QByteArray(file), char(n % 5 == 4), operations));
        if (n % 3 == 0)
            out.append(input(utf16(file, n % 2), 0, operations));
        ++n;
    }
    return out;
}

QByteArray mutatedInput(QRandomGenerator &random)
{
    const QByteArray file = mutatedFile(kFiles[random.bounded(int(std::size(kFiles)))], random);
    QByteArray operations = kOperations[random.bounded(int(std::size(kOperations)))];
    // Operations are bytes read as a program: any bytes make one.
    switch (random.bounded(3)) {
    case 0:
        break;
    case 1:
        for (int i = random.bounded(4); i > 0 && !operations.isEmpty(); --i)
            operations[random.bounded(int(operations.size()))] = char(random.bounded(256));
        break;
    default:
        operations.clear();
        for (int i = random.bounded(48); i > 0; --i)
            operations.append(char(random.bounded(256)));
        break;
    }
    return input(file, char(random.bounded(4) == 0), operations);
}
