#include "platform/Prompts.h"

#include <stdexcept>

namespace {
Prompts* g_default = nullptr;
Prompts* g_current = nullptr;
}

Prompts& prompts()
{
    Prompts* p = g_current ? g_current : g_default;
    if (!p)
        throw std::logic_error("no Prompts installed");
    return *p;
}

void setPrompts(Prompts* p) { g_current = p; }
void setDefaultPrompts(Prompts* p) { g_default = p; }
