#pragma once

#include "cls_ini.h"

class clsINIRegistry;

// The window that shows what the find dialog finds: the main window, seen
// from the dialog without the dialog depending on it.
class FindHost {
public:
    virtual ~FindHost() = default;
    // Selects the hit record's node and shows its value.
    virtual void ShowFindHit(const clsINI &record) = 0;
    // The dialog has closed (Cancel or its close box).
    virtual void FindClosed() = 0;
    // The store to search, nullptr while there is none.
    virtual const clsINIRegistry *findStore() const = 0;
};
