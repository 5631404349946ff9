#include "sound/Sound_Stream.h"

#include <utility>

#include "base/Base_Console.h"
#include "sound/Sound_AL.h"

namespace {

StreamWatcher g_Watcher;

void LogOpenAL()
{
    Sound_ALFailed("OpenAL error: %d");
}

} // namespace

bool SoundStream::MakeObjects()
{
    if (m_Made) return true;
    alGenBuffers(2, m_Buffers);
    LogOpenAL();
    alGenSources(1, &m_Source);
    LogOpenAL();
    alSourcef(m_Source, AL_GAIN, m_Gain);
    m_Made = true;
    return true;
}

bool SoundStream::Open(StreamDecoder* decoder, bool loop)
{
    MakeObjects();
    Stop();
    m_Decoder = decoder;
    m_Loop = loop;
    m_Format = decoder->Channels() == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
    m_Waiting = 0;
    bool first = Fill(m_Buffers[0]);
    bool second = first && Fill(m_Buffers[1]);
    if (!first) {
        Stop();
        return false;
    }
    alSourceQueueBuffers(m_Source, second ? 2 : 1, m_Buffers);
    LogOpenAL();
    alSourcePlay(m_Source);
    LogOpenAL();
    m_Queued = true;
    m_Playing = true;
    return true;
}

bool SoundStream::DecodeUntil(int32_t target, bool& ended)
{
    ended = false;
    if (target > STREAM_AREA_SIZE) target = STREAM_AREA_SIZE;
    while (m_Waiting < target) {
        int32_t got = m_Decoder->Read(m_Area + m_Waiting, target - m_Waiting);
        if (got < 0) {
            MainConsole->Output(m_Decoder->ReadErrorLine(), static_cast<int>(got));
            MainConsole->Output("\n");
            return false;
        }
        if (got > 0) {
            m_Waiting += got;
            continue;
        }
        if (!m_Loop) {
            ended = true;
            return true;
        }
        int32_t rewound = m_Decoder->Rewind();
        if (rewound != 0) {
            MainConsole->Output(m_Decoder->RewindErrorLine(), static_cast<int>(rewound));
            MainConsole->Output("\n");
            ended = true;
            return true;
        }
    }
    return true;
}

bool SoundStream::Fill(ALuint buffer)
{
    if (m_Decoder == nullptr) return false;
    bool ended = false;
    if (!DecodeUntil(STREAM_AREA_SIZE, ended) || m_Waiting == 0) return false;
    alBufferData(buffer, m_Format, m_Area, m_Waiting, m_Decoder->Rate());
    LogOpenAL();
    if (g_Watcher) g_Watcher(m_Source, m_Area, m_Waiting);
    m_Waiting = 0;
    return true;
}

void SoundStream::Tick(int64_t elapsed)
{
    if (!m_Playing || IsPaused() || m_Decoder == nullptr) return;
    int64_t ahead = static_cast<int64_t>(m_Decoder->Rate()) * m_Decoder->Channels() * elapsed * 2 / 1000;
    int64_t target = (m_Waiting + ahead + 128) & ~static_cast<int64_t>(255);
    bool ended = false;
    DecodeUntil(static_cast<int32_t>(target > STREAM_AREA_SIZE ? STREAM_AREA_SIZE : target), ended);

    ALint processed = 0;
    alGetSourcei(m_Source, AL_BUFFERS_PROCESSED, &processed);
    while (processed-- > 0) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(m_Source, 1, &buffer);
        ALint size = 0;
        alGetBufferi(buffer, AL_SIZE, &size);
        m_Unqueued += size;
        m_Queued = Fill(buffer);
        if (m_Queued) alSourceQueueBuffers(m_Source, 1, &buffer);
        LogOpenAL();
    }
    ALint state = 0;
    alGetSourcei(m_Source, AL_SOURCE_STATE, &state);
    if (state != AL_STOPPED) return;
    if (m_Queued) {
        alSourcePlay(m_Source);
        return;
    }
    Stop();
}

void SoundStream::Stop()
{
    if (m_Made) {
        alSourceStop(m_Source);
        alSourcei(m_Source, AL_BUFFER, 0); // unqueues every buffer of a stopped source
        LogOpenAL();
    }
    delete m_Decoder;
    m_Decoder = nullptr;
    m_Playing = false;
    m_Queued = false;
    m_Waiting = 0;
    m_Unqueued = 0;
}

int64_t SoundStream::PlayedBytes() const
{
    if (!m_Made || !m_Playing) return 0;
    ALint offset = 0;
    alGetSourcei(m_Source, AL_BYTE_OFFSET, &offset);
    return m_Unqueued + (offset > 0 ? offset : 0);
}

void SoundStream_SetWatcher(StreamWatcher watcher)
{
    g_Watcher = std::move(watcher);
}

bool SoundStream::IsPaused() const
{
    if (!m_Made) return false;
    ALint state = 0;
    alGetSourcei(m_Source, AL_SOURCE_STATE, &state);
    return state == AL_PAUSED;
}

void SoundStream::Pause()
{
    if (m_Playing) alSourcePause(m_Source);
}

void SoundStream::Resume()
{
    if (m_Playing && IsPaused()) alSourcePlay(m_Source);
}

void SoundStream::SetGain(float gain)
{
    m_Gain = gain;
    if (m_Made) alSourcef(m_Source, AL_GAIN, gain);
}

void SoundStream::Release()
{
    Stop();
    if (!m_Made) return;
    alDeleteSources(1, &m_Source);
    alDeleteBuffers(2, m_Buffers);
    alGetError();
    m_Made = false;
}
