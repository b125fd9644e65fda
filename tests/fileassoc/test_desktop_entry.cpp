#include "desktop_entry.h"
#include "mime_package.h"
#include "shell_command.h"
#include "test_files.h"

#include <QXmlStreamReader>
#include <QtTest>

namespace {
// A file system that holds exactly `files`.
FileProbe filesAre(const QStringList &files)
{
    return [files](const QString &path) { return files.contains(path); };
}

QString exec(const QString &command, const QStringList &files = {})
{
    return execLine(splitVerbCommand(command, filesAre(files)));
}
} // namespace

// How a registration becomes what the desktop reads: a verb's command as an Exec
// line, the desktop entry of a file type, and the MIME types for extensions.
class TestDesktopEntry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // --- Commands ---

    void commands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("exec");

        QTest::newRow("plain") << "/usr/bin/larkspur %1" << QStringList{"/usr/bin/larkspur"} << "/usr/bin/larkspur %f";
        QTest::newRow("arguments kept in order")
            << "/usr/bin/larkspur -a  b %1 c" << QStringList{"/usr/bin/larkspur"} << "/usr/bin/larkspur -a b %f c";
        QTest::newRow("program with blanks, unquoted")
            << "/opt/my apps/larkspur %1" << QStringList{"/opt/my apps/larkspur"} << "\"/opt/my apps/larkspur\" %f";
        QTest::newRow("the shortest file wins")
            << "/opt/my apps/larkspur %1" << QStringList{"/opt/my", "/opt/my apps/larkspur"}
            << "/opt/my apps/larkspur %f";
        QTest::newRow("no file found: the first word")
            << "/opt/my apps/larkspur %1" << QStringList() << "/opt/my apps/larkspur %f";
        QTest::newRow("quoted program and file")
            << "\"/opt/my apps/larkspur\" \"%1\"" << QStringList() << "\"/opt/my apps/larkspur\" %f";
        QTest::newRow("long name field") << "/bin/ed %L" << QStringList() << "/bin/ed %f";
        QTest::newRow("no file field") << "/bin/ed" << QStringList() << "/bin/ed";
        QTest::newRow("percent doubled") << "/bin/ed 50% %1" << QStringList() << "/bin/ed 50%% %f";
        QTest::newRow("a quoted argument") << "/bin/ed \"two words\" %1" << QStringList() << "/bin/ed \"two words\" %f";
        QTest::newRow("reserved characters")
            << "/bin/ed $HOME a`b c\\d %1" << QStringList() << "/bin/ed \"\\$HOME\" \"a\\`b\" \"c\\\\d\" %f";
        QTest::newRow("leading blanks") << "   /bin/ed %1" << QStringList() << "/bin/ed %f";
        QTest::newRow("empty") << "" << QStringList() << "";
    }

    void commands()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, files);
        QFETCH(QString, exec);
        QCOMPARE(::exec(command, files), exec);
    }

    void theProgramIsNeverTheFileField()
    {
        const QList<CommandWord> words = splitVerbCommand("%1 %1", filesAre({}));
        QCOMPARE(words.size(), 2);
        QVERIFY(!words[0].isFileField);
        QVERIFY(words[1].isFileField);
    }

    // --- File types ---

    void entryFileNames()
    {
        QCOMPARE(desktopEntryFileName("inifile"), QStringLiteral("larkspur-inifile.desktop"));
        QCOMPARE(desktopEntryFileName("Ini.File 2"), QStringLiteral("larkspur-ini_file_2.desktop"));
    }

    void theWholeEntry()
    {
        FileType type{"inifile",
                      "Larkspur; INI",
                      {{"Edit with Larkspur", "/opt/l k/larkspur %1"},
                       {"Edit with Larkspur", "/bin/ed %1"},
                       {"&Print", "/bin/lp -d \"office 2\" %1"}},
                      std::nullopt};
        const QByteArray entry = desktopEntry(type, {"text/x-ini", "text/plain"}, filesAre({"/opt/l k/larkspur"}));
        QCOMPARE(QString::fromUtf8(entry), QStringLiteral("[Desktop Entry]\n"
                                                          "Type=Application\n"
                                                          "Version=1.4\n"
                                                          "Name=Larkspur; INI\n"
                                                          "Exec=\"/opt/l k/larkspur\" %f\n"
                                                          "Icon=larkspur\n"
                                                          "Terminal=false\n"
                                                          "NoDisplay=true\n"
                                                          "MimeType=text/x-ini;text/plain;\n"
                                                          "Actions=Edit-with-Larkspur;Edit-with-Larkspur-2;-Print;\n"
                                                          "\n"
                                                          "[Desktop Action Edit-with-Larkspur]\n"
                                                          "Name=Edit with Larkspur\n"
                                                          "Exec=\"/opt/l k/larkspur\" %f\n"
                                                          "\n"
                                                          "[Desktop Action Edit-with-Larkspur-2]\n"
                                                          "Name=Edit with Larkspur\n"
                                                          "Exec=/bin/ed %f\n"
                                                          "\n"
                                                          "[Desktop Action -Print]\n"
                                                          "Name=&Print\n"
                                                          "Exec=/bin/lp -d \"office 2\" %f\n"));
    }

    void valuesAreEscapedForTheEntry()
    {
        FileType type{"t", " two\nlines\\", {{"v", "/opt/a\\b/ed %1"}}, std::nullopt};
        const QString entry = QString::fromUtf8(desktopEntry(type, {}, filesAre({"/opt/a\\b/ed"})));
        QVERIFY2(entry.contains("\nName=\\stwo\\nlines\\\\\n"), qPrintable(entry));
        // Quoted for the command line first, then escaped as a string: four backslashes.
        QVERIFY2(entry.contains("\nExec=\"/opt/a\\\\\\\\b/ed\" %f\n"), qPrintable(entry));
        QVERIFY2(!entry.contains("MimeType="), qPrintable(entry));
    }

    void icons_data()
    {
        QTest::addColumn<QString>("defaultIcon");
        QTest::addColumn<QString>("icon");
        QTest::newRow("image with index") << "/icons/ini.svg,0"
                                          << "/icons/ini.svg";
        QTest::newRow("png without index") << "/icons/ini.png"
                                           << "/icons/ini.png";
        QTest::newRow("negative index") << "/icons/ini.png,-3"
                                        << "/icons/ini.png";
        QTest::newRow("a program") << "/bin/larkspur,0"
                                   << "larkspur";
        QTest::newRow("missing image") << "/icons/none.svg,0"
                                       << "larkspur";
        QTest::newRow("relative image") << "ini.svg"
                                        << "larkspur";
    }

    void icons()
    {
        QFETCH(QString, defaultIcon);
        QFETCH(QString, icon);
        FileType type{"t", "T", {{"v", "/bin/ed %1"}}, defaultIcon};
        const QStringList files{"/icons/ini.svg", "/icons/ini.png", "/bin/larkspur", "ini.svg"};
        const QString entry = QString::fromUtf8(desktopEntry(type, {}, filesAre(files)));
        QVERIFY2(entry.contains("\nIcon=" + icon + "\n"), qPrintable(entry));
    }

    // --- MIME types ---

    void ownDeclarations()
    {
        const MimeDeclaration ini = ownMimeDeclaration(".INI");
        QCOMPARE(ini.type, QStringLiteral("text/x-ini"));
        QCOMPARE(ini.glob, QStringLiteral("*.ini"));
        QCOMPARE(ini.comment, QStringLiteral("INI file"));
        QCOMPARE(ownMimeDeclaration("cfg").type, QStringLiteral("text/x-cfg"));
        QCOMPARE(ownMimeDeclaration(".my conf").type, QStringLiteral("text/x-my-conf"));
    }

    void whichTypeAnExtensionGets()
    {
        bool declare = false;
        QCOMPARE(mimeTypeForExtension(".INI", {}, declare), QStringLiteral("text/x-ini"));
        QVERIFY(declare);
        // Our own declaration, once in the database, does not count as the desktop's.
        QCOMPARE(mimeTypeForExtension(".INI", {"text/x-ini"}, declare), QStringLiteral("text/x-ini"));
        QVERIFY(declare);
        QCOMPARE(mimeTypeForExtension(".INI", {"text/x-ini", "text/x-dosini"}, declare),
                 QStringLiteral("text/x-dosini"));
        QVERIFY(!declare);
    }

    void thePackageReadsBack()
    {
        const QByteArray xml = mimePackage({ownMimeDeclaration(".ini"), ownMimeDeclaration(".a&b")});
        QXmlStreamReader reader(xml);
        QStringList seen;
        while (!reader.atEnd()) {
            if (reader.readNext() != QXmlStreamReader::StartElement)
                continue;
            QCOMPARE(reader.namespaceUri().toString(),
                     QStringLiteral("http://www.freedesktop.org/standards/shared-mime-info"));
            const QString name = reader.name().toString();
            if (name == QStringLiteral("mime-type") || name == QStringLiteral("sub-class-of"))
                seen << name + "=" + reader.attributes().value("type").toString();
            else if (name == QStringLiteral("glob"))
                seen << name + "=" + reader.attributes().value("pattern").toString();
            else if (name == QStringLiteral("comment"))
                seen << name + "=" + reader.readElementText();
            else
                seen << name;
        }
        QVERIFY2(!reader.hasError(), qPrintable(reader.errorString()));
        QCOMPARE(seen, (QStringList{"mime-info", "mime-type=text/x-ini", "comment=INI file", "sub-class-of=text/plain",
                                    "glob=*.ini", "mime-type=text/x-a-b", "comment=A&B file", "sub-class-of=text/plain",
                                    "glob=*.a&b"}));
    }
};

QTEST_GUILESS_MAIN(TestDesktopEntry)
#include "test_desktop_entry.moc"
