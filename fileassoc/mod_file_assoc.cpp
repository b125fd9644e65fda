#include "mod_file_assoc.h"

#include "app_error.h"
#include "file_name_test.h"
#include "interaction.h"
#include "text_helpers.h"

namespace {
const QString kTitle = QStringLiteral("DLL/OCX Register");
const QString kIllegalChars = QStringLiteral("\\/:*?<>|\"");
const QString kProgramFileName = QStringLiteral("larkspur");
} // namespace

void modFileAssoc::report(const QString &text)
{
    if (bShowErrors)
        m_ui.tell(text, MessageIcon::Critical, kTitle);
}

bool modFileAssoc::CreateRegistryKey(RegKey Root, const QString &SubKey)
{
    RegKey key = 0;
    const bool created = m_registry.createKey(Root, SubKey, kKeyAccess, key) == RegError::Success;
    if (!created)
        report(QStringLiteral("An error occured while attempting to to create a registery key."));
    m_registry.closeKey(key);
    return created;
}

bool modFileAssoc::SetKeyDefaultValue(RegKey Root, const QString &SubKey, const QString &Text)
{
    RegKey key = 0;
    if (m_registry.openKey(Root, SubKey, kKeyAccess, key) != RegError::Success) {
        report(QStringLiteral("An error occured while attempting to access the registery."));
        return false;
    }
    const bool set = m_registry.setDefaultValue(key, Text) == RegError::Success;
    if (!set)
        report(QStringLiteral("An error occured while attempting to set key default value."));
    m_registry.closeKey(key);
    return set;
}

bool modFileAssoc::RegisterFileType(const QString &Extension, const QString &FileType, const QString &Description,
                                    const QString &Verb, const QString &AppPath, const QString &Arguments, bool SetIcon,
                                    const QString &IconPath, bool ShowErrors)
{
    bShowErrors = ShowErrors;
    if (!namesExistingFile(AppPath)) {
        report(QStringLiteral("The application path '") + AppPath + QStringLiteral("' cannot be found."));
        return false;
    }

    if (Extension.isEmpty())
        throw AppError(ErrorKind::InvalidArgument, QStringLiteral("Invalid procedure call or argument"));
    const QString extension = Extension.startsWith(QLatin1Char('.')) ? Extension : QLatin1Char('.') + Extension;
    for (QChar c : extension) {
        if (kIllegalChars.contains(c)) {
            report(QStringLiteral("The file extension '") + extension
                   + QStringLiteral("' contains an illegal char (\\/:*?<>|\")."));
            return false;
        }
    }

    const QString arguments = Arguments.isEmpty() ? Arguments : QLatin1Char(' ') + trimBlanks(Arguments);
    const QString commandKey = FileType + QStringLiteral("\\shell\\") + Verb + QStringLiteral("\\command");

    // Every key first: setting a value only opens a key that is already there.
    // A step that fails has said so; the next one runs all the same.
    CreateRegistryKey(HKEY_CLASSES_ROOT, extension);
    CreateRegistryKey(HKEY_CLASSES_ROOT, commandKey);
    if (SetIcon) {
        const QString iconKey = FileType + QStringLiteral("\\DefaultIcon");
        CreateRegistryKey(HKEY_CLASSES_ROOT, iconKey);
        const QString icon = IconPath.isEmpty() ? trimBlanks(AppPath + QStringLiteral(",0")) : trimBlanks(IconPath);
        SetKeyDefaultValue(HKEY_CLASSES_ROOT, iconKey, icon);
    }
    SetKeyDefaultValue(HKEY_CLASSES_ROOT, extension, FileType);
    SetKeyDefaultValue(HKEY_CLASSES_ROOT, FileType, Description);
    SetKeyDefaultValue(HKEY_CLASSES_ROOT, commandKey, AppPath + arguments + QStringLiteral(" %1"));
    return true;
}

QString ProgramPath(const QString &ProgramFolder)
{
    // Blanks at either end are part of a folder's name here, so the folder
    // is taken as it is, and a separator added only when it has none.
    const bool hasSeparator = ProgramFolder.endsWith(QLatin1Char('/'));
    return ProgramFolder + (hasSeparator ? QString() : QStringLiteral("/")) + kProgramFileName;
}

bool modFileAssoc::RegisterShellVerb(const QString &AppPath)
{
    return RegisterFileType(QStringLiteral(".INI"), QStringLiteral("inifile"), QStringLiteral("Larkspur"),
                            QStringLiteral("Edit with Larkspur"), AppPath, QString(), false, QString(), true);
}
