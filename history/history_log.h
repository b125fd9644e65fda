#pragma once

#include <QLoggingCategory>

// What the version history passes over: a version that could not be kept,
// a file of the history that could not be read or removed.
Q_DECLARE_LOGGING_CATEGORY(lcHistory)
