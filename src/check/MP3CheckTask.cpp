#include "check/MP3CheckTask.h"

#include "check/IProgressSink.h"

bool CMP3CheckTask::Run(IProgressSink* dialog)
{
    m_pDialog = dialog;
    if (m_pDialog)
        m_pDialog->SetProgress(0);
    bool sound;
    {
        CMP3Check check;
        sound = check.CheckFile(m_Path, m_pDialog);
        m_Result = check.TakeResult();
    }
    if (m_pDialog)
        m_pDialog->SetProgress(0);
    m_pDialog = nullptr;
    return sound;
}
