// CUE sheets of any content over a small BIN image: whatever table of contents libcdio reads from
// the sheet, the disc that comes of it must hold only tracks inside the image, and reading each
// track's first and last sector and asking for the track at every start must stay inside it too.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "sound/Sound_CdDisc.h"

// libcdio keeps the copy of a sheet's name it made when it refuses the sheet: a few bytes of the
// library's own for each refusal, not ours to free.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libcdio.so\n";
}

namespace {

constexpr int32_t IMAGE_SECTORS = 12;

char g_Folder[] = "/tmp/kelvaro_cdfuzz_XXXXXX"; // a plain array: still there when the exit handler runs

// A folder of our own with the BIN the sheet's base name leads to; made once per process and
// removed at its exit.
std::string Folder()
{
    static bool made = [] {
        if (mkdtemp(g_Folder) == nullptr) std::abort();
        std::atexit([] { std::filesystem::remove_all(g_Folder); });
        std::vector<uint8_t> bin(size_t(IMAGE_SECTORS) * CD_SECTOR_BYTES + 100, 0x5A);
        if (FILE* file = std::fopen((std::string(g_Folder) + "/disc.bin").c_str(), "wb")) {
            std::fwrite(bin.data(), 1, bin.size(), file);
            std::fclose(file);
        }
        return true;
    }();
    return made ? g_Folder : "";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string sheet = Folder() + "/disc.cue";
    FILE* file = std::fopen(sheet.c_str(), "wb");
    if (file == nullptr) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    std::unique_ptr<CdDisc> disc = Cd_OpenImage(sheet);
    if (disc == nullptr) return 0;
    if (disc->LeadOut() > IMAGE_SECTORS) std::abort();
    std::vector<uint8_t> sector(CD_SECTOR_BYTES);
    for (const CdTrack& track : disc->Tracks()) {
        if (track.start < 0 || track.frames < 1 || disc->TrackAt(track.start) != &track) std::abort();
        disc->ReadAudio(track.start, 1, sector.data());
        disc->ReadAudio(track.start + track.frames - 1, 1, sector.data());
    }
    // Out of the disc: refused, never read.
    if (disc->ReadAudio(disc->LeadOut(), 1, sector.data()) || disc->ReadAudio(-1, 1, sector.data())) std::abort();
    return 0;
}
