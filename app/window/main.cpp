#include "settings/QtSettingsStorage.h"
#include "ui/frame/App.h"

int main(int argc, char** argv)
{
    CTunewright20App app(argc, argv, OpenProgramSettings());
    return app.Run();
}
