// The disc in the CD drive, read through libcdio: its table of contents, checked before anything is
// taken from it, the audio of its sectors, and the drive's door. The drive is the system's default
// one, or a disc image named by a test switch.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

constexpr int32_t CD_FRAMES_PER_SECOND = 75;
constexpr int32_t CD_SECTOR_BYTES = 2352;     // 588 stereo 16-bit samples at 44100 Hz
constexpr int32_t CD_MAX_SECTORS = 100 * 60 * 75; // a hundred minutes: no disc holds more

struct CdTrack {
    int32_t number = 0;
    int32_t start = 0;  // first sector (LSN)
    int32_t frames = 0; // up to the next track's start, or the lead-out
    bool audio = true;
};

// A table of contents as read, before it is trusted: track numbers from `first`, each start, and the
// lead-out's start.
struct CdRawToc {
    int32_t first = 0;
    std::vector<int32_t> starts;
    std::vector<bool> audio;
    int32_t leadOut = 0;
};

// The tracks of a table of contents that makes sense: 1 to 99 tracks numbered within 1..99, starts
// that rise from 0 or more, a lead-out after the last and within a hundred minutes. Empty otherwise.
std::vector<CdTrack> Cd_CheckToc(const CdRawToc& toc);

// Whether a CUE sheet's text is safe to hand to libcdio, whose track table has room for 99 entries:
// no NUL byte, no line of CD_SHEET_MAX_LINE bytes or more (libcdio cuts longer lines into pieces
// that it reads as lines of their own), at most 99 TRACK entries numbered from 1 in rising order up
// to 99, each after a FILE line. (libcdio also reads past its table for a sheet whose first track
// number is far above its count of tracks, hence the first track is 1.)
constexpr size_t CD_SHEET_MAX_LINE = 1024;
constexpr size_t CD_SHEET_MAX_BYTES = 1 << 20;
bool Cd_CheckSheet(const std::string& text);

class CdDisc {
public:
    virtual ~CdDisc() = default;
    const std::vector<CdTrack>& Tracks() const { return m_Tracks; }
    int32_t LeadOut() const { return m_Tracks.empty() ? 0 : m_Tracks.back().start + m_Tracks.back().frames; }
    // The track holding a sector (the last one for the lead-out), or null.
    const CdTrack* TrackAt(int32_t sector) const;
    const CdTrack* Track(int32_t number) const;
    // Reads `count` sectors of audio from `sector` into `out` (count * CD_SECTOR_BYTES bytes, 16-bit
    // little-endian stereo); false when the drive cannot.
    virtual bool ReadAudio(int32_t sector, int32_t count, uint8_t* out) = 0;
    // Whether the drive reports another disc (or none) since the last ask; an image never changes.
    virtual bool Changed() = 0;
    virtual void OpenDoor() = 0;
    virtual void CloseDoor() = 0;

protected:
    std::vector<CdTrack> m_Tracks;
};

// The disc in the drive (the image when the test switch names one); null without a drive, a disc or a
// table of contents that makes sense.
std::unique_ptr<CdDisc> Cd_OpenDisc();
// Only the image (tests, the fuzz target); a sheet that Cd_CheckSheet refuses gives no disc.
std::unique_ptr<CdDisc> Cd_OpenImage(const std::string& cueSheet);
// Closes the default drive's door when no disc could be opened (a door left open by the game).
void Cd_CloseDefaultDoor();
