#pragma once

#include "settings/SettingsStore.h"
#include "tracks/Document.h"
#include "ui/common/HelpContext.h"

#include <QApplication>
#include <QTranslator>
#include <memory>

class CMainFrame;

// The application: the translation beside the program, the per-user
// settings, the splash image, the document and the main window, set up in
// that order. The program takes no command-line options of its own.
class CTunewright20App
{
public:
    // `storage` is where the settings live.
    CTunewright20App(int& argc, char** argv, std::unique_ptr<ISettingsStorage> storage);
    ~CTunewright20App();
    CTunewright20App(const CTunewright20App&) = delete;
    CTunewright20App& operator=(const CTunewright20App&) = delete;

    // Shows the main window and runs until it closes; the exit code.
    int Run();

private:
    void LoadTranslation();

    QApplication m_app;
    QTranslator m_translator;
    std::unique_ptr<ISettingsStorage> m_storage;
    CSettingsStore m_settings;
    CHelpContext m_help;
    CTunewright20Doc m_doc;
    std::unique_ptr<CMainFrame> m_frame;
};
