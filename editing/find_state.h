#pragma once

#include <QString>
#include <QtGlobal>

// A record told apart from the others by what it holds rather than by its
// ID: its section and key, and how many records before it have the same.
struct RecordIdentity {
    QString section;
    QString key;
    qsizetype occurrence = -1;
};

// What the find dialog keeps beyond its window: the ID of the last hit, 0
// while no hit is pending. The main window owns it and hands it to each find
// dialog it opens, so closing the dialog throws away its text and options
// but not this, and the next search goes on behind the last hit.
//
// A store that reads its file again numbers the new records afresh, so the
// hit is also kept by what it was, with the record before it and its place
// in the list (see rememberHit and followHit). In another file the hit is
// kept as its number only, and the search goes on behind that.
struct FindState {
    qint32 lastFoundId = 0;
    // The file and the store's load the hit was found in.
    QString fileName;
    quint64 loadCount = 0;
    RecordIdentity hit;
    // The record before the hit; no occurrence when the hit came first.
    RecordIdentity before;
    // The hit's 0-based place in the list.
    qsizetype position = 0;
};
