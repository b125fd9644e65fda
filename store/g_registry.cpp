#include "g_registry.h"

std::unique_ptr<clsINIRegistry> gRegistry;
