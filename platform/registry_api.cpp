#include "platform/registry_api.h"

#include "platform/xdg_registry.h"

namespace {
RegistryApi *g_installed = nullptr;
}

RegistryApi &registryApi()
{
    static XdgRegistry desktop;
    return g_installed ? *g_installed : desktop;
}

void setRegistryApi(RegistryApi *api)
{
    g_installed = api;
}
