#include "ini_store.h"

#include "choose_file.h"
#include "file_name_test.h"
#include "interaction.h"
#include "name_match.h"
#include "text_helpers.h"

QString chooseIniFile(Interaction &ui)
{
    return chooseFile(ui, QStringLiteral("Open Configuration (INI) File"),
                      QStringLiteral("Configuration Files (*.INI)") + QChar(0) + QStringLiteral("*.INI") + QChar(0),
                      QString(), QStringLiteral("*.ini"));
}

IniStore::IniStore(Interaction &ui, std::shared_ptr<FileHistory> history)
    : m_ui(ui), m_history(std::move(history)), m_records(std::make_shared<RecordList>())
{}

void IniStore::setFileName(const QString &value)
{
    try {
        QString s = stripNulls(trimBlanks(value));
        if (namesExistingFile(s)) {
            m_fileName = stripNulls(trimBlanks(s));
            return;
        }
        if (s.isEmpty() && m_fileName.isEmpty())
            m_ui.tell(QStringLiteral("Invalid command line arguments: ") + m_fileName
                          + QStringLiteral(" File Not Found\r\nSource= clsINIRegistry: FileName"),
                      MessageIcon::Critical);
        for (;;) {
            if (namesExistingFile(s)) {
                m_fileName = stripNulls(trimBlanks(s));
                return;
            }
            s = chooseIniFile(m_ui);
            if (s.isEmpty())
                return;
        }
    } catch (const std::exception &e) {
        m_ui.tell(QString::fromUtf8(e.what()) + QStringLiteral("\r\nSource: clsINIRegistry: FileName"),
                  MessageIcon::Critical);
    }
}

bool IniStore::reopen(const QString &name)
{
    if (!namesExistingFile(name))
        return false;
    m_fileName = name;
    load();
    return true;
}

qsizetype IniStore::findRecord(const QString &section, const QString &key) const
{
    const UpperMatcher sectionMatch(section);
    const UpperMatcher keyMatch(key);
    SectionRun run;
    bool lastSectionMatches = false;
    qsizetype position = 0;
    for (IniRecord *record : *m_records) {
        ++position;
        if (run.changed(*record))
            lastSectionMatches = sectionMatch.matches(record->section());
        if (lastSectionMatches && record->keyMatches(keyMatch))
            return position;
    }
    return 0;
}

QString IniStore::value(const QString &section, const QString &key) const
{
    const qsizetype position = findRecord(section, key);
    return position ? m_records->at(position)->value() : QString();
}

void IniStore::clearRecords()
{
    m_records = std::make_shared<RecordList>();
    m_currentEntry = nullptr;
    m_lastRemoved.clear();
    m_stamp = {};
}

void IniStore::closeFile()
{
    clearRecords();
    m_fileName.clear();
}
