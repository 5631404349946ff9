// The music player: one track at a time, an Ogg Vorbis file of the music's base name streamed
// through OpenAL, else the file as named handed to the media control interface.
#include <tremor/ivorbisfile.h>

#include <cctype>
#include <cstdio>
#include <dirent.h>
#include <strings.h>

#include "app/App_Paths.h"
#include "base/Base_Console.h"
#include "base/Base_Text.h"
#include "sound/Sound_AL.h"
#include "sound/Sound_Hardware.h"
#include "sound/Sound_Mci.h"
#include "sound/Sound_Stream.h"
#include "support/Support_File.h"
#include "support/Support_Timing.h"

namespace {

class OggDecoder : public StreamDecoder {
public:
    ~OggDecoder() override
    {
        if (m_Open) ov_clear(&m_Vorbis); // closes the file too
    }
    // Opens the decoder on the file in place (the decoder's state points into itself); the
    // decoder's code on failure, after which the caller still owns the file.
    int Open(FILE* file)
    {
        int opened = ov_open(file, &m_Vorbis, nullptr, 0);
        if (opened < 0) return opened;
        m_Open = true;
        vorbis_info* info = ov_info(&m_Vorbis, -1);
        m_Channels = info != nullptr ? info->channels : 2;
        m_Rate = info != nullptr ? static_cast<int32_t>(info->rate) : 44100;
        return 0;
    }
    int32_t Read(uint8_t* out, int32_t size) override
    {
        int section = 0;
        return static_cast<int32_t>(ov_read(&m_Vorbis, reinterpret_cast<char*>(out), size, &section));
    }
    int32_t Rewind() override { return ov_raw_seek(&m_Vorbis, 0); }
    int32_t Channels() const override { return m_Channels; }
    int32_t Rate() const override { return m_Rate; }
    const char* ReadErrorLine() const override { return "ov_read error: %d"; }
    const char* RewindErrorLine() const override { return "ov_raw_seek error %d"; }

private:
    OggVorbis_File m_Vorbis;
    bool m_Open = false;
    int32_t m_Channels = 2;
    int32_t m_Rate = 44100;
};

SoundStream* g_OggStream = nullptr; // made on first use, kept until shut-down
std::string g_PlayerName;
std::string g_Folder;
int32_t g_MediaCounter = 0;
float g_MusicVolume = 1.0f;
float g_MusicStep = 0.0f;
int32_t g_MusicFadeFrames = 0;
int64_t g_LastTick = 0;

SoundStream& OggStream()
{
    if (g_OggStream == nullptr) g_OggStream = new SoundStream();
    return *g_OggStream;
}

bool StreamPlaying()
{
    return g_OggStream != nullptr && g_OggStream->IsPlaying();
}

// Opens a file of the game's folder; when the exact name is missing, a name that differs only in
// case is taken instead.
FILE* OpenCaseless(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file != nullptr) return file;
    size_t slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return nullptr;
    std::string found;
    while (dirent* entry = readdir(dir)) {
        std::string candidate = entry->d_name;
        if (candidate.size() != name.size()) continue;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i)
            same = std::tolower(static_cast<unsigned char>(candidate[i])) == std::tolower(static_cast<unsigned char>(name[i]));
        if (same) {
            found = candidate;
            break;
        }
    }
    closedir(dir);
    if (found.empty()) return nullptr;
    return std::fopen((slash == std::string::npos ? found : folder + found).c_str(), "rb");
}

bool OpenOgg(const std::string& path, bool loop)
{
    FILE* file = OpenCaseless(path);
    if (file == nullptr) return false;
    auto* decoder = new OggDecoder();
    int opened = decoder->Open(file);
    if (opened < 0) {
        delete decoder;
        std::fclose(file);
        MainConsole->Output("Could not open Ogg stream: Error %d\n", opened);
        return false;
    }
    return OggStream().Open(decoder, loop);
}

// Sends one media command, logging the line (path, shown printable, and error text) when it fails.
void SendLogged(const std::string& command, const char* line, const std::string& path)
{
    char answer[1024];
    if (Mci_SendString(command.c_str(), answer, sizeof answer)) return;
    if (path.empty()) MainConsole->Output(line, Mci_ErrorText());
    else MainConsole->Output(line, Text_Printable(path).c_str(), Mci_ErrorText());
    MainConsole->Output("\n");
}

std::string Alias()
{
    return "MediaFile" + std::to_string(g_MediaCounter);
}

void ApplyMusicVolume();

void PlayThroughMci(const std::string& name, bool loop)
{
    std::string path = Music_Path(name, false);
    ++g_MediaCounter;
    std::string alias = Alias();
    SendLogged("open \"" + path + "\" type mpegvideo alias " + alias, "error opening mp3 file %s - %s", path);
    SendLogged("set " + alias + " time format milliseconds", "error opening set file time format for %s - %s", path);
    SendLogged("set " + alias + " seek exactly on", "error opening set file seek exactly for %s - %s", path);
    SendLogged("play " + alias + (loop ? " repeat" : ""), "error playing file for %s - %s", path);
    ApplyMusicVolume();
}

void ApplyMusicVolume()
{
    if (StreamPlaying()) {
        g_OggStream->SetGain(g_MusicVolume);
        return;
    }
    if (g_OggStream != nullptr) g_OggStream->SetGain(g_MusicVolume);
    if (g_MediaCounter == 0) return;
    int32_t level = static_cast<int32_t>(g_MusicVolume * 1000.0f);
    std::string command = "setaudio " + Alias() + " volume to " + std::to_string(level);
    char answer[64];
    if (!Mci_SendString(command.c_str(), answer, sizeof answer))
        MainConsole->Output("error setting mp3 volume to %g(%d) - %s\n", static_cast<double>(g_MusicVolume), level,
                            Mci_ErrorText());
}

// The current device's mode ("" without one, or when the query fails, which is logged).
std::string MciModeText()
{
    if (g_MediaCounter == 0) return "";
    char answer[1024];
    std::string command = "status " + Alias() + " mode";
    if (!Mci_SendString(command.c_str(), answer, sizeof answer)) {
        MainConsole->Output("error getting mp3 status - %s\n", Mci_ErrorText());
        return "";
    }
    return answer;
}

bool MciMode(const char* wanted)
{
    return strcasecmp(MciModeText().c_str(), wanted) == 0;
}

void PlayName(const std::string& name, bool loop)
{
    if (StreamPlaying()) g_OggStream->Stop();
    std::string ogg = Music_Path(name, true);
    if (OpenOgg(ogg, loop)) {
        MainConsole->Output("playing %s\n", Text_Printable(ogg).c_str());
        g_OggStream->SetGain(g_MusicVolume);
        return;
    }
    PlayThroughMci(name, loop);
}

// The name with the extension after its last dot replaced (a name without one gets it appended).
std::string WithExtension(const std::string& name, const char* extension)
{
    size_t dot = name.find_last_of('.');
    size_t slash = name.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return name + extension;
    return name.substr(0, dot) + extension;
}

} // namespace

const std::string& Music_PlayerName()
{
    return g_PlayerName;
}

void Music_SetFolder(const char* folder)
{
    g_Folder = folder != nullptr ? folder : "";
}

std::string Music_Path(const std::string& name, bool ogg)
{
    std::string path;
    if (!name.empty() && (name[0] == '/' || name[0] == '\\')) path = name;
    else {
        std::string folder = !g_Folder.empty() ? g_Folder : GetGameFileDirectory();
        std::string tail = name;
        if (ogg)
            for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        path = folder + tail;
    }
    for (char& c : path) c = c == '\\' ? '/' : c;
    if (ogg && path.size() >= 4) path.replace(path.size() - 4, 4, ".ogg");
    return path;
}

void SoundHardware::PlayMP3(const char* name, bool loop)
{
    if (!m_Started) return;
    if (!g_PlayerName.empty()) StopMusic();
    g_PlayerName = name != nullptr ? name : "";
    PlayName(g_PlayerName, loop);
}

void SoundHardware::PlayMIDI(const char* name, bool loop)
{
    if (!m_Started) return;
    if (!g_PlayerName.empty()) StopMusic();
    // The extension after the last dot becomes "mp3", so "tune.midi" plays "tune.mp3" (or tune.ogg).
    g_PlayerName = WithExtension(name != nullptr ? name : "", ".mp3");
    PlayName(g_PlayerName, loop);
}

void SoundHardware::StopMusic()
{
    g_PlayerName.clear();
    if (!m_Started) return;
    if (StreamPlaying()) {
        g_OggStream->Stop();
        return;
    }
    std::string mode = MciModeText();
    std::string alias = Alias();
    if (strcasecmp(mode.c_str(), "playing") == 0 || strcasecmp(mode.c_str(), "paused") == 0) {
        SendLogged("seek " + alias + " to start", "error stopping mp3 file seeking - %s", "");
        SendLogged("stop " + alias, "error stopping mp3 - %s", "");
    } else if (strcasecmp(mode.c_str(), "stopped") != 0) {
        return;
    }
    // A track that ended by itself is closed too: its device holds an output source until then, and
    // every later track opens a device of its own.
    SendLogged("close " + alias, "error closing mp3 - %s", "");
    g_MediaCounter = 0;
}

bool SoundHardware::PlayingMP3()
{
    if (!m_Started) return false;
    if (StreamPlaying()) return true;
    return MciMode("playing");
}

void SoundHardware::PauseMusic()
{
    if (!m_Started) return;
    if (StreamPlaying()) {
        g_OggStream->Pause();
        return;
    }
    if (g_MediaCounter != 0) SendLogged("pause " + Alias(), "error pausing mp3 file - %s", "");
}

void SoundHardware::ResumeMusic()
{
    if (!m_Started) return;
    if (StreamPlaying()) {
        g_OggStream->Resume();
        return;
    }
    if (g_MediaCounter != 0) SendLogged("resume " + Alias(), "error resuming mp3 file - %s", "");
}

void SoundHardware::SetMusicVolume(float volume, int32_t milliseconds)
{
    if (!m_Started) return;
    int32_t frames = Sound_FadeFrames(milliseconds);
    g_MusicStep = (volume - g_MusicVolume) / static_cast<float>(frames);
    g_MusicFadeFrames = frames;
}

float SoundHardware::MusicVolume() const
{
    return g_MusicVolume;
}

void SoundHardware::TickMusic()
{
    int64_t now = Timing_Time() / 1000;
    int64_t elapsed = g_LastTick == 0 ? 16 : now - g_LastTick;
    g_LastTick = now;
    if (g_OggStream != nullptr) g_OggStream->Tick(elapsed);
    Mci_Tick(elapsed);
    if (g_MusicFadeFrames <= 0) return;
    g_MusicVolume += g_MusicStep;
    --g_MusicFadeFrames;
    ApplyMusicVolume();
}

ALuint Music_StreamSource()
{
    return g_OggStream != nullptr ? g_OggStream->Source() : 0;
}

ALuint Music_StreamBuffer()
{
    return g_OggStream != nullptr ? g_OggStream->FirstBuffer() : 0;
}

void Music_Release()
{
    if (g_OggStream != nullptr) g_OggStream->Release();
    delete g_OggStream;
    g_OggStream = nullptr;
    Mci_CloseAll();
    g_PlayerName.clear();
    g_MediaCounter = 0;
    g_MusicVolume = 1.0f;
    g_MusicFadeFrames = 0;
    g_LastTick = 0;
}
