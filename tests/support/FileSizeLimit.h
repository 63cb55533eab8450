#pragma once

// While it lives, files this process writes cannot grow past `bytes`: writes
// beyond fail as on a full disk. POSIX only; elsewhere it does nothing and
// Active() is false.
class CFileSizeLimit
{
public:
    explicit CFileSizeLimit(unsigned long bytes);
    ~CFileSizeLimit();
    CFileSizeLimit(const CFileSizeLimit&) = delete;
    CFileSizeLimit& operator=(const CFileSizeLimit&) = delete;

    bool Active() const { return m_active; }

private:
    bool m_active = false;
    unsigned long m_savedLimit = 0;
    void (*m_savedHandler)(int) = nullptr;
};
