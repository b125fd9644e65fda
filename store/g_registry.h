#pragma once

#include "ini_store.h"

#include <memory>

// The program's one store. The main window creates it when it first becomes
// active, hands it to the dialogs it opens, and releases it when it closes.
extern std::unique_ptr<IniStore> gRegistry;
