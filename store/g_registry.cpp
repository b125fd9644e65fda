#include "g_registry.h"

std::unique_ptr<IniStore> gRegistry;
