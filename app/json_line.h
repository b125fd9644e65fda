#pragma once

#include <QByteArray>
#include <QString>

// Appends `text` as a JSON string (quotes included, standard escapes,
// other characters as UTF-8).
void appendJsonString(QByteArray &out, const QString &text);
