#include "sound/Sound_MciCdAudio.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

#include "sound/Sound_CdDisc.h"
#include "sound/Sound_Stream.h"

namespace {

constexpr int32_t SECTORS_PER_READ = 8;

// Audio from sector `from` up to (not including) `to`; data tracks play as silence.
class CdDecoder : public StreamDecoder {
public:
    CdDecoder(CdDisc& disc, int32_t from, int32_t to) : m_Disc(disc), m_From(from), m_Next(from), m_To(to) {}
    int32_t Read(uint8_t* out, int32_t size) override
    {
        int32_t done = 0;
        while (done < size) {
            if (m_Used == m_Held && !Refill()) return done > 0 || m_Next >= m_To ? done : -1;
            int32_t part = std::min(size - done, m_Held - m_Used);
            std::memcpy(out + done, m_Area + m_Used, size_t(part));
            m_Used += part;
            done += part;
        }
        return done;
    }
    int32_t Rewind() override
    {
        m_Next = m_From;
        m_Used = m_Held = 0;
        return 0;
    }
    int32_t Channels() const override { return 2; }
    int32_t Rate() const override { return 44100; }
    const char* ReadErrorLine() const override { return "cd audio reading error: %d"; }
    const char* RewindErrorLine() const override { return "cd audio rewind error %d"; }

private:
    // The next sectors into the area; false at the end or when the disc cannot be read.
    bool Refill()
    {
        m_Used = m_Held = 0;
        if (m_Next >= m_To) return false;
        const CdTrack* track = m_Disc.TrackAt(m_Next);
        int32_t count = std::min(SECTORS_PER_READ, m_To - m_Next);
        if (track != nullptr) count = std::min(count, track->start + track->frames - m_Next);
        if (track != nullptr && !track->audio) std::memset(m_Area, 0, size_t(count) * CD_SECTOR_BYTES);
        else if (!m_Disc.ReadAudio(m_Next, count, m_Area)) return false;
        m_Next += count;
        m_Held = count * CD_SECTOR_BYTES;
        return true;
    }

    CdDisc& m_Disc;
    int32_t m_From;
    int32_t m_Next;
    int32_t m_To;
    int32_t m_Used = 0;
    int32_t m_Held = 0;
    uint8_t m_Area[SECTORS_PER_READ * CD_SECTOR_BYTES];
};

enum class TimeFormat { Tmsf, Msf, Milliseconds };
enum class Mode { Stopped, Playing, Paused };

struct Drive {
    std::unique_ptr<CdDisc> disc;
    SoundStream stream;
    TimeFormat format = TimeFormat::Tmsf;
    Mode mode = Mode::Stopped;
    bool doorOpen = false;
    int32_t position = 0; // the sector the drive is at while it does not play
    int32_t playFrom = 0;
    int32_t playTo = 0;
};

Drive* g_Drive = nullptr; // made on first use, released at shut-down

Drive& TheDrive()
{
    if (g_Drive == nullptr) g_Drive = new Drive();
    return *g_Drive;
}

std::string Text(const char* format, int32_t a, int32_t b, int32_t c, int32_t d = 0)
{
    char text[32];
    std::snprintf(text, sizeof text, format, a, b, c, d);
    return text;
}

std::string Msf(int32_t sectors)
{
    int32_t seconds = sectors / CD_FRAMES_PER_SECOND;
    return Text("%02d:%02d:%02d", seconds / 60, seconds % 60, sectors % CD_FRAMES_PER_SECOND);
}

std::string Milliseconds(int32_t sectors)
{
    return std::to_string(int64_t(sectors) * 1000 / CD_FRAMES_PER_SECOND);
}

// The sector being heard: while a play runs, its start and what the source has played.
int32_t Position(Drive& d)
{
    if (d.mode == Mode::Stopped) return d.position;
    int64_t at = d.playFrom + d.stream.PlayedBytes() / CD_SECTOR_BYTES;
    return at < d.playTo ? int32_t(at) : d.playTo;
}

// A play whose stream has ended stops at its end.
void Settle(Drive& d)
{
    if (d.mode == Mode::Stopped || d.stream.IsPlaying()) return;
    d.mode = Mode::Stopped;
    d.position = d.playTo;
}

void Halt(Drive& d)
{
    d.position = Position(d);
    d.stream.Stop();
    d.mode = Mode::Stopped;
}

std::string FormatPosition(const Drive& d, int32_t sector)
{
    if (d.format == TimeFormat::Milliseconds) return Milliseconds(sector);
    if (d.format == TimeFormat::Msf) return Msf(sector);
    const CdTrack* track = d.disc->TrackAt(sector);
    int32_t into = sector - track->start;
    int32_t seconds = into / CD_FRAMES_PER_SECOND;
    return Text("%02d:%02d:%02d:%02d", track->number, seconds / 60, seconds % 60, into % CD_FRAMES_PER_SECOND);
}

std::string FormatLength(const Drive& d, int32_t sectors)
{
    return d.format == TimeFormat::Milliseconds ? Milliseconds(sectors) : Msf(sectors);
}

// Up to `most` numbers separated by colons, each of one to seven digits; false for anything else.
bool Fields(const std::string& text, size_t most, std::vector<int32_t>& fields)
{
    fields.assign(1, 0);
    size_t digits = 0;
    for (char c : text) {
        if (c == ':') {
            if (digits == 0 || fields.size() == most) return false;
            fields.push_back(0);
            digits = 0;
        } else if (c >= '0' && c <= '9' && digits < 7) {
            fields.back() = fields.back() * 10 + (c - '0');
            ++digits;
        } else {
            return false;
        }
    }
    return digits > 0;
}

// A position in the current time format as a sector, or -1 when it names none on the disc.
int32_t ParsePosition(const Drive& d, const std::string& text)
{
    std::vector<int32_t> f;
    int64_t sector = -1;
    if (d.format == TimeFormat::Milliseconds) {
        // The nearest sector, so that a position read back seeks to where it was read.
        if (Fields(text, 1, f)) sector = (int64_t(f[0]) * CD_FRAMES_PER_SECOND + 500) / 1000;
    } else if (d.format == TimeFormat::Msf) {
        if (Fields(text, 3, f)) sector = (int64_t(f[0]) * 60 + (f.size() > 1 ? f[1] : 0)) * CD_FRAMES_PER_SECOND + (f.size() > 2 ? f[2] : 0);
    } else if (Fields(text, 4, f)) {
        const CdTrack* track = d.disc->Track(f[0]);
        if (track == nullptr) return -1;
        int64_t minutes = f.size() > 1 ? f[1] : 0, seconds = f.size() > 2 ? f[2] : 0, frames = f.size() > 3 ? f[3] : 0;
        sector = track->start + (minutes * 60 + seconds) * CD_FRAMES_PER_SECOND + frames;
    }
    return sector >= d.disc->Tracks().front().start && sector <= d.disc->LeadOut() ? int32_t(sector) : -1;
}

bool Fail(std::string& error, const char* text)
{
    error = text;
    return false;
}

bool Play(Drive& d, int32_t from, int32_t to, std::string& error)
{
    if (from < 0 || to < 0 || from >= to) return Fail(error, "the position is out of range");
    d.stream.Stop();
    d.mode = Mode::Stopped;
    d.position = from;
    d.playFrom = from;
    d.playTo = to;
    if (!d.stream.Open(new CdDecoder(*d.disc, from, to), false)) return Fail(error, "the disc cannot be read");
    d.mode = Mode::Playing;
    return true;
}

// play [from X] [to Y]: from the current position and to the end of the disc unless given; a paused
// play without positions goes on.
bool PlayCommand(Drive& d, const std::vector<std::string>& w, std::string& error)
{
    int32_t from = -2, to = -2;
    for (size_t i = 2; i < w.size(); i += 2) {
        if (i + 1 >= w.size() || (w[i] != "from" && w[i] != "to")) return Fail(error, "the command is not understood");
        (w[i] == "from" ? from : to) = ParsePosition(d, w[i + 1]);
    }
    if (from == -2 && to == -2 && d.mode == Mode::Paused) {
        d.stream.Resume();
        d.mode = Mode::Playing;
        return true;
    }
    if (to == -2) to = d.mode == Mode::Stopped ? d.disc->LeadOut() : d.playTo;
    if (from == -2) from = Position(d);
    return Play(d, from, to, error);
}

bool SeekCommand(Drive& d, const std::vector<std::string>& w, std::string& error)
{
    if (w.size() != 4 || w[2] != "to") return Fail(error, "the command is not understood");
    int32_t sector = w[3] == "start" ? d.disc->Tracks().front().start
                     : w[3] == "end" ? d.disc->LeadOut()
                                     : ParsePosition(d, w[3]);
    if (sector < 0) return Fail(error, "the position is out of range");
    Halt(d);
    d.position = sector;
    return true;
}

bool Status(Drive& d, const std::string& what, std::string& answer, std::string& error)
{
    if (what == "media present") answer = d.disc != nullptr ? "true" : "false";
    else if (what == "mode") {
        const char* modes[] = {"stopped", "playing", "paused"};
        answer = d.doorOpen ? "open" : d.disc == nullptr ? "not ready" : modes[int(d.mode)];
    } else if (d.disc == nullptr) return Fail(error, "there is no disc in the drive");
    else if (what == "number of tracks") answer = std::to_string(d.disc->Tracks().size());
    else if (what == "position") answer = FormatPosition(d, Position(d));
    else if (what == "current track") answer = std::to_string(d.disc->TrackAt(Position(d))->number);
    else if (what == "length") answer = FormatLength(d, d.disc->LeadOut() - d.disc->Tracks().front().start);
    else if (what.rfind("length track ", 0) == 0) {
        std::vector<int32_t> f;
        const CdTrack* track = Fields(what.substr(13), 1, f) ? d.disc->Track(f[0]) : nullptr;
        if (track == nullptr) return Fail(error, "the track does not exist");
        answer = FormatLength(d, track->frames);
    } else return Fail(error, "the command is not understood");
    return true;
}

bool Set(Drive& d, const std::string& what, std::string& error)
{
    const std::pair<const char*, TimeFormat> formats[] = {{"time format tmsf", TimeFormat::Tmsf},
                                                          {"time format msf", TimeFormat::Msf},
                                                          {"time format ms", TimeFormat::Milliseconds},
                                                          {"time format milliseconds", TimeFormat::Milliseconds}};
    for (const auto& [name, format] : formats) {
        if (what != name) continue;
        d.format = format;
        return true;
    }
    if (what == "door open") {
        if (d.disc != nullptr) {
            Halt(d);
            d.disc->OpenDoor();
        }
        d.disc.reset();
        d.doorOpen = true;
        return true;
    }
    if (what == "door closed") {
        if (d.doorOpen) Cd_CloseDefaultDoor();
        d.doorOpen = false;
        return true;
    }
    return Fail(error, "the command is not understood");
}

// The words after the device name, joined by blanks.
std::string Rest(const std::vector<std::string>& w)
{
    std::string rest;
    for (size_t i = 2; i < w.size(); ++i) rest += (i > 2 ? " " : "") + w[i];
    return rest;
}

} // namespace

bool MciCdAudio_Command(const std::vector<std::string>& words, std::string& answer, std::string& error)
{
    Drive& d = TheDrive();
    std::vector<std::string> w; // the flags that ask to wait or to be told change nothing here
    for (const std::string& word : words)
        if (word != "wait" && word != "notify") w.push_back(word);
    const std::string& verb = w[0];
    std::string rest = Rest(w);
    if (verb == "open") {
        if (d.disc != nullptr && d.disc->Changed()) {
            Halt(d);
            d.disc.reset();
        }
        if (d.disc != nullptr || d.doorOpen) return true;
        // A disc put in starts stopped at its first track.
        d.disc = Cd_OpenDisc();
        d.mode = Mode::Stopped;
        if (d.disc != nullptr) d.position = d.disc->Tracks().front().start;
        return true;
    }
    if (verb == "close" && rest.empty()) {
        Halt(d);
        d.disc.reset();
        return true;
    }
    if (verb == "set") return Set(d, rest, error);
    if (verb == "status") {
        Settle(d);
        return Status(d, rest, answer, error);
    }
    if (d.disc == nullptr) return Fail(error, "there is no disc in the drive");
    Settle(d);
    if (verb == "play") return PlayCommand(d, w, error);
    if (verb == "seek") return SeekCommand(d, w, error);
    if (verb == "stop" && rest.empty()) {
        Halt(d);
        return true;
    }
    if (verb == "pause" && rest.empty() && d.mode == Mode::Playing) {
        d.stream.Pause();
        d.mode = Mode::Paused;
        return true;
    }
    if (verb == "resume" && rest.empty() && d.mode == Mode::Paused) {
        d.stream.Resume();
        d.mode = Mode::Playing;
        return true;
    }
    if ((verb == "pause" || verb == "resume") && rest.empty()) return true;
    return Fail(error, "the command is not understood");
}

void MciCdAudio_Tick(int64_t elapsed)
{
    if (g_Drive == nullptr || g_Drive->mode == Mode::Stopped) return;
    g_Drive->stream.Tick(elapsed);
    Settle(*g_Drive);
}

void MciCdAudio_Release()
{
    if (g_Drive == nullptr) return;
    g_Drive->stream.Release();
    delete g_Drive;
    g_Drive = nullptr;
}
