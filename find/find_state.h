#pragma once

#include <QtGlobal>

// What the find dialog keeps beyond its window: the ID of the last hit, 0
// while no hit is pending. Closing the dialog throws away its text and
// options but not this, so the next search goes on behind the last hit.
struct FindState {
    qint32 LastFoundID = 0;
};

// The program's one find state, made the first time it is asked for.
FindState &findState();
