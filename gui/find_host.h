#pragma once

#include "ini_record.h"

class IniStore;

// The window that shows what the find dialog finds: the main window, seen
// from the dialog without the dialog depending on it.
class FindHost {
public:
    virtual ~FindHost() = default;
    // Selects the hit record's node and shows its value.
    virtual void showFindHit(const IniRecord &record) = 0;
    // The dialog has closed (Cancel or its close box).
    virtual void findClosed() = 0;
    // The store to search, nullptr while there is none.
    virtual const IniStore *findStore() const = 0;
};
