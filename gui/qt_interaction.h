#pragma once

#include "interaction.h"

// The editor's own dialogs: Qt message boxes and Qt's widget-based file
// dialog, each modal over whichever of our windows is active. Needs a
// QApplication.
class QtInteraction : public Interaction {
public:
    Answer messageBox(const QString &text, MessageButtons buttons, MessageIcon icon, const QString &title) override;
    QString openFileDialog(const OpenFileRequest &request) override;
};
