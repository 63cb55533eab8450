#include "settings/QtSettingsStorage.h"
#include "ui/frame/App.h"

#include <cstdlib>
#include <memory>

int main(int argc, char** argv)
{
    // As for the command line: another settings file for trying things out.
    std::unique_ptr<ISettingsStorage> storage;
    if (const char* path = std::getenv("TUNEWRIGHT_SETTINGS"); path && *path)
        storage = std::make_unique<CQtSettingsStorage>(path);
    CTunewright20App app(argc, argv, std::move(storage));
    return app.Run();
}
