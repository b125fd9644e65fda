#pragma once

#include "registry_api.h"

#include <QString>

class Interaction;

// The registration of a shell verb for a file type, through the registry
// calls of `registry`; failures are shown through `ui` while bShowErrors is
// set. Both must outlive the object.
class modFileAssoc {
public:
    modFileAssoc(RegistryApi &registry, Interaction &ui) : m_registry(registry), m_ui(ui) {}

    // Whether the registration shows its failures in message boxes; every
    // RegisterFileType call sets it from its ShowErrors.
    bool bShowErrors = false;

    // Registers the shell verb `Verb` for files ending in `Extension` (the dot
    // may be left out): the extension key points at the file-type key
    // `FileType`, whose default value is `Description` and whose verb runs
    // AppPath + Arguments + " %1". Returns false, with nothing written, when
    // AppPath is not an existing file or the extension holds one of \ / : * ? < > | ";
    // otherwise true, whether or not every key and value could be written.
    // An empty Extension throws AppError before anything is written.
    bool RegisterFileType(const QString &Extension, const QString &FileType, const QString &Description,
                          const QString &Verb, const QString &AppPath, const QString &Arguments, bool SetIcon,
                          const QString &IconPath, bool ShowErrors);

    // Creates (or opens) the key SubKey under Root; reports a failure.
    bool CreateRegistryKey(RegKey Root, const QString &SubKey);

    // Sets the default value of the existing key SubKey under Root; reports a failure.
    bool SetKeyDefaultValue(RegKey Root, const QString &SubKey, const QString &Text);

    // The registration every start makes: "Edit with Larkspur" on .INI files,
    // run by the program at AppPath. The result is of no interest to start-up.
    bool RegisterShellVerb(const QString &AppPath);

private:
    void report(const QString &text);

    RegistryApi &m_registry;
    Interaction &m_ui;
};

// The program file that runs the verb, "larkspur" in ProgramFolder.
QString ProgramPath(const QString &ProgramFolder);
