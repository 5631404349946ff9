#include "sound/Sound_CdDisc.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <cstring>
#include <algorithm>
#include <cctype>
#include <fstream>
#include <string_view>

#include "base/Base_Console.h"
#include "platform/Platform_TestSwitches.h"

namespace {

// libcdio's own messages would reach the terminal; the device's answers carry what matters.
void QuietLog(cdio_log_level_t, const char*) {}

void Quieten()
{
    static bool done = false;
    if (done) return;
    cdio_log_set_handler(QuietLog);
    done = true;
}

CdRawToc ReadToc(CdIo_t* cdio)
{
    CdRawToc toc;
    track_t first = cdio_get_first_track_num(cdio);
    track_t count = cdio_get_num_tracks(cdio);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK) return toc;
    toc.first = first;
    for (int32_t t = first; t < int32_t(first) + int32_t(count) && t <= CDIO_CD_MAX_TRACKS; ++t) {
        lsn_t start = cdio_get_track_lsn(cdio, track_t(t));
        toc.starts.push_back(start == CDIO_INVALID_LSN ? -1 : start);
        toc.audio.push_back(cdio_get_track_format(cdio, track_t(t)) == TRACK_FORMAT_AUDIO);
    }
    lsn_t leadOut = cdio_get_track_lsn(cdio, CDIO_CDROM_LEADOUT_TRACK);
    toc.leadOut = leadOut == CDIO_INVALID_LSN ? -1 : leadOut;
    return toc;
}

class LibcdioDisc : public CdDisc {
public:
    ~LibcdioDisc() override
    {
        if (m_Paranoia != nullptr) cdio_paranoia_free(m_Paranoia);
        if (m_Drive != nullptr) cdio_cddap_close_no_free_cdio(m_Drive);
        if (m_Cdio != nullptr) cdio_destroy(m_Cdio);
    }
    bool Open(const char* source, driver_id_t driver, bool image)
    {
        Quieten();
        m_Image = image;
        m_Cdio = cdio_open(source, driver);
        if (m_Cdio == nullptr) return false;
        if (const char* name = cdio_get_arg(m_Cdio, "source")) m_Device = name;
        m_Tracks = Cd_CheckToc(ReadToc(m_Cdio));
        if (m_Tracks.empty()) return false;
        // A real drive is read through the jitter-correcting reader; an image needs none.
        if (!image) OpenParanoia();
        return true;
    }
    bool ReadAudio(int32_t sector, int32_t count, uint8_t* out) override
    {
        if (sector < 0 || count < 1 || sector + count > LeadOut()) return false;
        if (m_Paranoia == nullptr)
            return cdio_read_audio_sectors(m_Cdio, out, sector, uint32_t(count)) == DRIVER_OP_SUCCESS;
        if (sector != m_ParanoiaNext) cdio_paranoia_seek(m_Paranoia, sector, SEEK_SET);
        for (int32_t i = 0; i < count; ++i) {
            int16_t* samples = cdio_paranoia_read(m_Paranoia, nullptr);
            if (samples == nullptr) return false;
            std::memcpy(out + size_t(i) * CD_SECTOR_BYTES, samples, CD_SECTOR_BYTES);
        }
        m_ParanoiaNext = sector + count;
        return true;
    }
    bool Changed() override { return !m_Image && cdio_get_media_changed(m_Cdio) == 1; }
    void OpenDoor() override
    {
        if (!m_Image && !m_Device.empty()) cdio_eject_media_drive(m_Device.c_str());
    }
    void CloseDoor() override
    {
        if (!m_Image && !m_Device.empty()) cdio_close_tray(m_Device.c_str(), nullptr);
    }

private:
    void OpenParanoia()
    {
        m_Drive = cdio_cddap_identify_cdio(m_Cdio, CDDA_MESSAGE_FORGETIT, nullptr);
        if (m_Drive == nullptr) return;
        if (cdio_cddap_open(m_Drive) != 0) {
            cdio_cddap_close_no_free_cdio(m_Drive);
            m_Drive = nullptr;
            return;
        }
        m_Paranoia = cdio_paranoia_init(m_Drive);
        if (m_Paranoia != nullptr) cdio_paranoia_modeset(m_Paranoia, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
    }

    CdIo_t* m_Cdio = nullptr;
    cdrom_drive_t* m_Drive = nullptr;
    cdrom_paranoia_t* m_Paranoia = nullptr;
    int32_t m_ParanoiaNext = -1;
    std::string m_Device;
    bool m_Image = false;
};

// The whitespace-separated words of one sheet line, as libcdio splits them.
std::vector<std::string_view> Words(std::string_view line)
{
    std::vector<std::string_view> words;
    size_t at = 0;
    while (at < line.size()) {
        at = line.find_first_not_of(" \t\r", at);
        if (at == std::string_view::npos) break;
        size_t end = std::min(line.find_first_of(" \t\r", at), line.size());
        words.push_back(line.substr(at, end - at));
        at = end;
    }
    return words;
}

bool SameWord(std::string_view word, std::string_view keyword)
{
    if (word.size() != keyword.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(word[i])) != keyword[i]) return false;
    return true;
}

// A track number of plain digits in 1..99; 0 otherwise.
int32_t TrackNumber(std::string_view word)
{
    if (word.empty() || word.size() > 3) return 0;
    int32_t number = 0;
    for (char c : word) {
        if (c < '0' || c > '9') return 0;
        number = number * 10 + (c - '0');
    }
    return number <= 99 ? number : 0;
}

} // namespace

bool Cd_CheckSheet(const std::string& text)
{
    if (text.find('\0') != std::string::npos) return false;
    bool fileSeen = false;
    int32_t tracks = 0;
    int32_t last = 0;
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = std::min(text.find('\n', at), text.size());
        std::string_view line(text.data() + at, end - at);
        at = end + 1;
        if (line.size() >= CD_SHEET_MAX_LINE) return false;
        std::vector<std::string_view> words = Words(line);
        if (words.empty()) continue;
        // Keywords in any case count, so that no spelling libcdio might take slips past the count.
        if (SameWord(words[0], "FILE")) fileSeen = true;
        if (!SameWord(words[0], "TRACK")) continue;
        int32_t number = words.size() > 1 ? TrackNumber(words[1]) : 0;
        if (!fileSeen || ++tracks > 99 || number <= last || (tracks == 1 && number != 1)) return false;
        last = number;
    }
    return true;
}

std::vector<CdTrack> Cd_CheckToc(const CdRawToc& toc)
{
    std::vector<CdTrack> tracks;
    size_t count = toc.starts.size();
    if (count < 1 || count > 99 || toc.audio.size() != count || toc.first < 1 ||
        toc.first + int32_t(count) - 1 > 99 || toc.leadOut > CD_MAX_SECTORS)
        return tracks;
    for (size_t i = 0; i < count; ++i) {
        int32_t end = i + 1 < count ? toc.starts[i + 1] : toc.leadOut;
        if (toc.starts[i] < 0 || end <= toc.starts[i]) return {};
        tracks.push_back(CdTrack{toc.first + int32_t(i), toc.starts[i], end - toc.starts[i], toc.audio[i]});
    }
    return tracks;
}

const CdTrack* CdDisc::TrackAt(int32_t sector) const
{
    for (const CdTrack& t : m_Tracks)
        if (sector >= t.start && sector < t.start + t.frames) return &t;
    return !m_Tracks.empty() && sector == LeadOut() ? &m_Tracks.back() : nullptr;
}

const CdTrack* CdDisc::Track(int32_t number) const
{
    for (const CdTrack& t : m_Tracks)
        if (t.number == number) return &t;
    return nullptr;
}

std::unique_ptr<CdDisc> Cd_OpenImage(const std::string& cueSheet)
{
    // 99 tracks of a few lines each fit many times over; more is no sheet.
    std::string text(CD_SHEET_MAX_BYTES + 1, '\0');
    std::ifstream in(cueSheet, std::ios::binary);
    in.read(text.data(), std::streamsize(text.size()));
    text.resize(size_t(in.gcount()));
    if (text.size() > CD_SHEET_MAX_BYTES || !Cd_CheckSheet(text)) {
        MainConsole->Output("CD image %s: a malformed sheet, refused\n", cueSheet.c_str());
        return nullptr;
    }
    auto disc = std::make_unique<LibcdioDisc>();
    if (!disc->Open(cueSheet.c_str(), DRIVER_BINCUE, true)) return nullptr;
    return disc;
}

std::unique_ptr<CdDisc> Cd_OpenDisc()
{
    const std::string& image = TestSwitches_Get().cdImage;
    if (!image.empty()) return Cd_OpenImage(image);
    Quieten();
    auto disc = std::make_unique<LibcdioDisc>();
    if (!disc->Open(nullptr, DRIVER_DEVICE, false)) return nullptr;
    return disc;
}

void Cd_CloseDefaultDoor()
{
    if (!TestSwitches_Get().cdImage.empty()) return;
    Quieten();
    char* device = cdio_get_default_device(nullptr);
    if (device == nullptr) return;
    cdio_close_tray(device, nullptr);
    cdio_free(device);
}
