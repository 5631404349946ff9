#include "sound/Sound_Mci.h"

#include <mpg123.h>

#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "base/Base_Numbers.h"
#include "sound/Sound_MciCdAudio.h"
#include "sound/Sound_Stream.h"

namespace {

class Mp3Decoder : public StreamDecoder {
public:
    ~Mp3Decoder() override
    {
        if (m_Handle == nullptr) return;
        mpg123_close(m_Handle);
        mpg123_delete(m_Handle);
    }
    bool Open(const std::string& path)
    {
        static bool initialised = mpg123_init() == MPG123_OK;
        if (!initialised) return false;
        int error = 0;
        m_Handle = mpg123_new(nullptr, &error);
        if (m_Handle == nullptr) return false;
        mpg123_param(m_Handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
        long rate = 0;
        int channels = 0, encoding = 0;
        if (mpg123_open(m_Handle, path.c_str()) != MPG123_OK ||
            mpg123_getformat(m_Handle, &rate, &channels, &encoding) != MPG123_OK || rate <= 0)
            return false;
        mpg123_format_none(m_Handle);
        mpg123_format(m_Handle, rate, channels, MPG123_ENC_SIGNED_16);
        m_Rate = static_cast<int32_t>(rate);
        m_Channels = channels == 1 ? 1 : 2;
        return true;
    }
    int32_t Read(uint8_t* out, int32_t size) override
    {
        size_t done = 0;
        int result = mpg123_read(m_Handle, out, static_cast<size_t>(size), &done);
        if (result == MPG123_OK || result == MPG123_NEW_FORMAT || result == MPG123_DONE)
            return static_cast<int32_t>(done);
        return result < 0 ? result : -1;
    }
    int32_t Rewind() override { return mpg123_seek(m_Handle, 0, SEEK_SET) >= 0 ? 0 : -1; }
    int32_t Channels() const override { return m_Channels; }
    int32_t Rate() const override { return m_Rate; }
    const char* ReadErrorLine() const override { return "mp3 decoding error: %d"; }
    const char* RewindErrorLine() const override { return "mp3 rewind error %d"; }

private:
    mpg123_handle* m_Handle = nullptr;
    int32_t m_Channels = 2;
    int32_t m_Rate = 44100;
};

// One "mpegvideo" device: an MP3 file that plays on a stream of its own.
struct MpegDevice {
    std::string path;
    SoundStream stream;
    bool paused = false;
    bool loop = false;
    float gain = 1.0f;

    const char* Mode() const
    {
        if (!stream.IsPlaying()) return "stopped";
        return paused ? "paused" : "playing";
    }
};

std::map<std::string, std::unique_ptr<MpegDevice>> g_Devices; // by lower-cased alias
MciDevice g_Replacement;
std::string g_Error;

std::string Lower(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Words separated by blanks; a word in double quotes may hold blanks.
std::vector<std::string> Words(const char* command)
{
    std::vector<std::string> words;
    for (const char* p = command; *p != '\0';) {
        if (*p == ' ' || *p == '\t') {
            ++p;
            continue;
        }
        std::string word;
        if (*p == '"') {
            for (++p; *p != '\0' && *p != '"'; ++p) word += *p;
            if (*p == '"') ++p;
        } else {
            for (; *p != '\0' && *p != ' ' && *p != '\t'; ++p) word += *p;
        }
        words.push_back(word);
    }
    return words;
}

bool Fail(const char* text)
{
    g_Error = text;
    return false;
}

bool Start(MpegDevice& device)
{
    auto* decoder = new Mp3Decoder();
    if (!decoder->Open(device.path)) {
        delete decoder;
        return Fail("the file cannot be opened");
    }
    if (!device.stream.Open(decoder, device.loop)) return Fail("the file holds no sound");
    device.stream.SetGain(device.gain);
    return true;
}

bool OpenMpeg(const std::vector<std::string>& w)
{
    // open <file> type mpegvideo alias <name>
    if (w.size() != 6 || Lower(w[2]) != "type" || Lower(w[3]) != "mpegvideo" || Lower(w[4]) != "alias")
        return Fail("the command is not understood");
    std::string alias = Lower(w[5]);
    if (g_Devices.count(alias) != 0) return Fail("the alias is already in use");
    Mp3Decoder probe;
    if (!probe.Open(w[1])) return Fail("the file cannot be opened");
    auto device = std::make_unique<MpegDevice>();
    device->path = w[1];
    g_Devices[alias] = std::move(device);
    return true;
}

bool Mpeg(MpegDevice& device, const std::string& alias, const std::vector<std::string>& w, std::string& answer)
{
    std::string verb = Lower(w[0]);
    std::string rest;
    for (size_t i = 2; i < w.size(); ++i) rest += (i > 2 ? " " : "") + Lower(w[i]);
    if (verb == "set" && (rest == "time format milliseconds" || rest == "seek exactly on")) return true;
    if (verb == "play" && (rest.empty() || rest == "repeat")) {
        device.loop = !rest.empty();
        if (device.paused && device.stream.IsPlaying()) {
            device.paused = false;
            device.stream.Resume();
            return true;
        }
        device.paused = false;
        return Start(device);
    }
    if (verb == "pause" && rest.empty()) {
        device.stream.Pause();
        device.paused = device.stream.IsPlaying();
        return true;
    }
    if (verb == "resume" && rest.empty()) {
        device.stream.Resume();
        device.paused = false;
        return true;
    }
    if ((verb == "stop" && rest.empty()) || (verb == "seek" && rest == "to start")) {
        device.stream.Stop();
        device.paused = false;
        return true;
    }
    if (verb == "close" && rest.empty()) {
        g_Devices.erase(alias);
        return true;
    }
    if (verb == "status" && rest == "mode") {
        answer = device.Mode();
        return true;
    }
    if (verb == "setaudio" && w.size() == 5 && rest.rfind("volume to ", 0) == 0) {
        device.gain = static_cast<float>(Numbers_ParseInt(w[4].c_str())) / 1000.0f;
        device.stream.SetGain(device.gain);
        return true;
    }
    return Fail("the command is not understood");
}

bool Interpret(const char* command, std::string& answer)
{
    std::vector<std::string> w = Words(command);
    if (w.size() < 2) return Fail("the command is not understood");
    std::string target = Lower(w[1]);
    if (target == "cdaudio") {
        for (std::string& word : w) word = Lower(word);
        return MciCdAudio_Command(w, answer, g_Error);
    }
    if (Lower(w[0]) == "open") return OpenMpeg(w);
    auto found = g_Devices.find(target);
    if (found == g_Devices.end()) return Fail("the device is not open");
    return Mpeg(*found->second, target, w, answer);
}

} // namespace

bool Mci_SendString(const char* command, char* answer, size_t answerSize)
{
    std::string reply;
    g_Error.clear();
    bool done = g_Replacement ? g_Replacement(command != nullptr ? command : "", reply, g_Error)
                              : Interpret(command != nullptr ? command : "", reply);
    if (!done) reply.clear();
    if (answer != nullptr && answerSize > 0) {
        size_t length = reply.size() < answerSize - 1 ? reply.size() : answerSize - 1;
        std::memcpy(answer, reply.data(), length);
        answer[length] = '\0';
    }
    return done;
}

const char* Mci_ErrorText()
{
    return g_Error.c_str();
}

void Mci_SetDevice(MciDevice device)
{
    g_Replacement = std::move(device);
}

void Mci_Tick(int64_t elapsed)
{
    for (auto& [alias, device] : g_Devices) device->stream.Tick(elapsed);
    MciCdAudio_Tick(elapsed);
}

void Mci_CloseAll()
{
    g_Devices.clear();
    MciCdAudio_Release();
}
