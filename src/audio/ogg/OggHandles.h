#pragma once

// Owning wrappers for the C state records of libogg and libvorbis. Each one
// is set up on construction (or by Start) and released exactly once; none
// can be copied or moved, since the libraries keep pointers into them.

#include <ogg/ogg.h>
#include <string>
#include <vorbis/codec.h>

class COggSync
{
public:
    COggSync() { ogg_sync_init(&m_state); }
    ~COggSync() { ogg_sync_clear(&m_state); }
    COggSync(const COggSync&) = delete;
    COggSync& operator=(const COggSync&) = delete;

    ogg_sync_state* Get() { return &m_state; }

private:
    ogg_sync_state m_state{};
};

class COggStream
{
public:
    explicit COggStream(int serial) { ogg_stream_init(&m_state, serial); }
    ~COggStream() { ogg_stream_clear(&m_state); }
    COggStream(const COggStream&) = delete;
    COggStream& operator=(const COggStream&) = delete;

    ogg_stream_state* Get() { return &m_state; }
    // Bytes of packet data taken in and not yet handed out again.
    long Pending() const { return m_state.body_fill - m_state.body_returned; }

private:
    ogg_stream_state m_state{};
};

class CVorbisInfo
{
public:
    CVorbisInfo() { vorbis_info_init(&m_info); }
    ~CVorbisInfo() { vorbis_info_clear(&m_info); }
    CVorbisInfo(const CVorbisInfo&) = delete;
    CVorbisInfo& operator=(const CVorbisInfo&) = delete;

    vorbis_info* Get() { return &m_info; }
    const vorbis_info* Get() const { return &m_info; }

private:
    vorbis_info m_info{};
};

class CVorbisComment
{
public:
    CVorbisComment() { vorbis_comment_init(&m_comment); }
    ~CVorbisComment() { vorbis_comment_clear(&m_comment); }
    CVorbisComment(const CVorbisComment&) = delete;
    CVorbisComment& operator=(const CVorbisComment&) = delete;

    vorbis_comment* Get() { return &m_comment; }
    const vorbis_comment* Get() const { return &m_comment; }

    // Drops every comment and the vendor string.
    void Clear()
    {
        vorbis_comment_clear(&m_comment);
        vorbis_comment_init(&m_comment);
    }
    void Add(const std::string& name, const std::string& value)
    {
        vorbis_comment_add_tag(&m_comment, name.c_str(), value.c_str());
    }
    // The first value of `name` (any letter case), empty when there is none.
    std::string Query(const char* name)
    {
        const char* value = vorbis_comment_query(&m_comment, name, 0);
        return value ? value : "";
    }

private:
    vorbis_comment m_comment{};
};

// The analysis state and its block, which depend on each other and on the
// info they were made from: set up and released together.
class CVorbisAnalysis
{
public:
    explicit CVorbisAnalysis(vorbis_info* info)
    {
        vorbis_analysis_init(&m_dsp, info);
        vorbis_block_init(&m_dsp, &m_block);
    }
    ~CVorbisAnalysis()
    {
        vorbis_block_clear(&m_block);
        vorbis_dsp_clear(&m_dsp);
    }
    CVorbisAnalysis(const CVorbisAnalysis&) = delete;
    CVorbisAnalysis& operator=(const CVorbisAnalysis&) = delete;

    vorbis_dsp_state* Dsp() { return &m_dsp; }
    vorbis_block* Block() { return &m_block; }

private:
    vorbis_dsp_state m_dsp{};
    vorbis_block m_block{};
};
