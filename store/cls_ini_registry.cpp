#include "cls_ini_registry.h"

#include "app_error.h"
#include "file_name_test.h"
#include "interaction.h"
#include "mod_functions.h"
#include "name_match.h"
#include "text_helpers.h"

namespace {
const QString kFileNameSource = QStringLiteral("clsINIRegistry: FileName");
}

QString ChooseINIFile(Interaction &ui)
{
    return CommonOpenDialog(ui, QStringLiteral("Open Configuration (INI) File"),
                            QStringLiteral("Configuration Files (*.INI)") + QChar(0) + QStringLiteral("*.INI")
                                + QChar(0),
                            QString(), QStringLiteral("*.ini"), 0);
}

clsINIRegistry::clsINIRegistry(Interaction &ui, std::shared_ptr<FileHistory> history)
    : m_ui(ui), m_history(std::move(history)), m_registry(std::make_shared<clsINIList>())
{}

void clsINIRegistry::setFileName(const QString &value)
{
    try {
        QString s = StripNulls(TrimSpaces(value));
        if (namesExistingFile(s)) {
            m_fileName = StripNulls(TrimSpaces(s));
            return;
        }
        if (s.isEmpty() && m_fileName.isEmpty()) {
            try {
                throw AppError(kStoreErrorNumber, kFileNameSource,
                               QStringLiteral("Invalid command line arguments: ") + m_fileName
                                   + QStringLiteral(" File Not Found"));
            } catch (const AppError &e) {
                m_ui.MsgBox(e.description() + QStringLiteral("\r\nSource= ") + e.source(), vbCritical);
            }
        }
        for (;;) {
            if (namesExistingFile(s)) {
                m_fileName = StripNulls(TrimSpaces(s));
                return;
            }
            s = ChooseINIFile(m_ui);
            if (s.isEmpty())
                return;
        }
    } catch (const std::exception &e) {
        m_ui.MsgBox(QString::fromUtf8(e.what()) + QStringLiteral("\r\nSource: ") + kFileNameSource, vbCritical);
    }
}

qsizetype clsINIRegistry::FindRecord(const QString &Section, const QString &Key) const
{
    const UpperMatcher sectionMatch(Section);
    const UpperMatcher keyMatch(Key);
    SectionRun run;
    bool lastSectionMatches = false;
    qsizetype position = 0;
    for (const clsINIPtr &record : *m_registry) {
        ++position;
        if (run.changed(*record))
            lastSectionMatches = sectionMatch.matches(record->Section());
        if (lastSectionMatches && record->keyMatches(keyMatch))
            return position;
    }
    return 0;
}

QString clsINIRegistry::GetRegValue(const QString &Section, const QString &Key) const
{
    const qsizetype position = FindRecord(Section, Key);
    return position ? m_registry->Item(position)->Value() : QString();
}

void clsINIRegistry::ClearRegistry()
{
    m_registry = std::make_shared<clsINIList>();
    m_currentEntry = nullptr;
    m_lastRemoved.clear();
    m_stamp = {};
}

void clsINIRegistry::CloseFile()
{
    ClearRegistry();
    m_fileName.clear();
}
