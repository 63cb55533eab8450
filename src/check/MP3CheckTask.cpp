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
        sound = check.CheckFile(m_Path, m_pDeep ? nullptr : m_pDialog);
        m_Result = check.TakeResult();
    }
    // The walk takes a small part of the time decoding does, so progress
    // is that of the decoding alone.
    if (m_pDeep && m_Result.readable && m_Result.HasAudio())
    {
        m_pDeep->Check(m_Path, m_Result, m_pDialog);
        sound = m_Result.IsSound();
    }
    if (m_pDialog)
        m_pDialog->SetProgress(0);
    m_pDialog = nullptr;
    return sound;
}
