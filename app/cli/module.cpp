#include "cli/LinkedCliModule.h"

// The one symbol libtunewright-commands exports; everything else in it is
// hidden, so that its copies of the core never stand in for the program's.
extern "C" __attribute__((visibility("default"))) ICliModule* TunewrightCliModule(unsigned version)
{
    // Stateless, so one for the whole process is enough.
    static CLinkedCliModule module;
    return version == kCliModuleInterface ? &module : nullptr;
}
