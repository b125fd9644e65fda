#pragma once

#include "store/cls_ini_registry.h"

#include <memory>

// The program's one store. The main window creates it when it first becomes
// active and releases it when it closes; the other windows reach the open
// file through it.
extern std::unique_ptr<clsINIRegistry> gRegistry;
