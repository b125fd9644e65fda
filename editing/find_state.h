#pragma once

#include <QtGlobal>

// What the find dialog keeps beyond its window: the ID of the last hit, 0
// while no hit is pending. The main window owns it and hands it to each find
// dialog it opens, so closing the dialog throws away its text and options
// but not this, and the next search goes on behind the last hit.
struct FindState {
    qint32 lastFoundId = 0;
};
