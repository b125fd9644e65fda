#pragma once

#include "scripted_ui.h"

#include <QApplication>
#include <QWidget>

// The scripted person at the screen, for tests that run real windows: the
// loaded forms are the top-level windows that exist.
class WindowScriptedUi : public ScriptedUi {
public:
    QStringList loadedForms() const override {
        QStringList names;
        for (const QWidget *widget : QApplication::topLevelWidgets())
            if (!widget->objectName().isEmpty())
                names.append(widget->objectName());
        return names;
    }
};
