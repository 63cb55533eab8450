#include "settings/QtSettingsStorage.h"
#include "ui/common/FreedMemory.h"
#include "ui/frame/App.h"

int main(int argc, char** argv)
{
    KeepFreedMemoryReturnable();
    CTunewright20App app(argc, argv, OpenProgramSettings());
    return app.Run();
}
