#pragma once

#include "interaction.h"

// For running without a person at the screen: every message goes to stderr
// as one "program: text" line, the open-file dialog always cancels and a
// Yes/No question is answered No, so nothing destructive happens unasked.
class ConsoleInteraction : public Interaction {
public:
    explicit ConsoleInteraction(QString programName);

    Answer messageBox(const QString &text, MessageButtons buttons, MessageIcon icon, const QString &title) override;
    QString openFileDialog(const OpenFileRequest &request) override;

private:
    QString m_programName;
};
