// A two-buffer OpenAL stream: a decoder delivers 16-bit samples, two buffers of at most 32768 bytes
// take turns on one source, and a frame tick refills the ones the source has finished. The music
// player streams Ogg Vorbis files on it and the media control interface's MP3 devices reuse it.
#pragma once

#include <cstdint>
#include <functional>

#include <AL/al.h>

// Where the decoded samples come from.
class StreamDecoder {
public:
    virtual ~StreamDecoder() = default;
    // Decodes up to `size` bytes: the count, 0 at the end of the stream, below 0 on an error.
    virtual int32_t Read(uint8_t* out, int32_t size) = 0;
    // Back to the start: 0, or an error code.
    virtual int32_t Rewind() = 0;
    virtual int32_t Channels() const = 0;
    virtual int32_t Rate() const = 0;
    // Log lines with one %d for the decoder's error code.
    virtual const char* ReadErrorLine() const = 0;
    virtual const char* RewindErrorLine() const = 0;
};

constexpr int32_t STREAM_AREA_SIZE = 32768;

// Tests watch the samples handed to the audio library: the source, the bytes and their count.
using StreamWatcher = std::function<void(ALuint source, const uint8_t* data, int32_t size)>;
void SoundStream_SetWatcher(StreamWatcher watcher);

class SoundStream {
public:
    ~SoundStream() { Release(); }

    // Takes the decoder (owned from now on) and starts playing; false when neither buffer got any
    // data (the decoder is then dropped).
    bool Open(StreamDecoder* decoder, bool loop);
    // Decodes ahead by the elapsed time, refills finished buffers, restarts a source that ran dry
    // and ends a stream that has nothing more to give.
    void Tick(int64_t elapsedMilliseconds);
    // Stops the source, unqueues the buffers and drops the decoder.
    void Stop();
    void Pause();
    void Resume();
    void SetGain(float gain);
    // Deletes the source and buffers (shut-down).
    void Release();

    // The bytes the source has played since the stream was opened (a position that follows what is
    // heard, not what is decoded ahead).
    int64_t PlayedBytes() const;

    bool IsPlaying() const { return m_Playing; }
    bool IsPaused() const;
    ALuint Source() const { return m_Source; }
    ALuint FirstBuffer() const { return m_Buffers[0]; }

private:
    bool MakeObjects();
    bool Fill(ALuint buffer);
    // Decodes into the shared area until it holds `target` bytes; false on a decoder error.
    bool DecodeUntil(int32_t target, bool& ended);

    StreamDecoder* m_Decoder = nullptr;
    ALuint m_Buffers[2] = {0, 0};
    ALuint m_Source = 0;
    ALenum m_Format = AL_FORMAT_STEREO16;
    bool m_Made = false;
    bool m_Playing = false;
    bool m_Queued = false;
    bool m_Loop = false;
    float m_Gain = 1.0f;
    int32_t m_Waiting = 0;
    int64_t m_Unqueued = 0; // bytes of the played buffers taken off the source
    uint8_t m_Area[STREAM_AREA_SIZE];
};
