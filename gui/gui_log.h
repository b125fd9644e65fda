#pragma once

#include <QLoggingCategory>

// What the windows' handlers pass over (a step that fails and is skipped)
// is told here, since the person at the screen is not.
Q_DECLARE_LOGGING_CATEGORY(lcGui)
