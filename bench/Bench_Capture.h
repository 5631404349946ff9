// Playing a benchmark's game headless and reading back one of its frames, so that a scene is shown
// to be drawn before it is timed.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Bench_GameFile.h"
#include "Bench_Timing.h"
#include "gamebuild/GameBuild_Game.h"
#include "graphics/Graphics_Image.h"

namespace bench {

// The shell command that plays `frames` frames of a game headless without waiting between them.
inline std::string KelvaroCommand(const std::string& kelvaro, const std::string& game, int32_t frames,
                                  const std::string& extra = "")
{
    return "KELVARO_HEADLESS=1 KELVARO_NO_WAIT=1 KELVARO_MAX_FRAMES=" + std::to_string(frames) + " " + extra +
           " " + kelvaro + " -game " + game + " > /dev/null 2>&1";
}

// A frame as read back: rows top first, 4 bytes a pixel in the order of a picture word's bytes from
// the low one (red, green, blue, alpha).
struct Capture {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> pixels;
    const uint8_t* At(int32_t x, int32_t y) const
    {
        return &pixels[(size_t(y) * size_t(width) + size_t(x)) * 4];
    }
};

// Plays the game to frame `frame` with a capture of it; false (with a line on stderr) when no
// picture of that size was written.
inline bool CaptureFrame(const std::string& kelvaro, const std::string& game, int32_t frame, int32_t width,
                         int32_t height, Capture* capture)
{
    std::string shot = game + ".png";
    std::remove(shot.c_str());
    std::string extra = "KELVARO_CAPTURE=" + std::to_string(frame) + ":" + shot;
    if (Seconds(KelvaroCommand(kelvaro, game, frame + 2, extra)) < 0) return false;
    FILE* file = std::fopen(shot.c_str(), "rb");
    if (file == nullptr) {
        std::fprintf(stderr, "no capture was written\n");
        return false;
    }
    std::vector<char> bytes;
    char chunk[65536];
    for (size_t n; (n = std::fread(chunk, 1, sizeof(chunk), file)) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(file);
    const uint8_t* pixels =
        GR_Image_LoadPNG(bytes.data(), int32_t(bytes.size()), &capture->width, &capture->height, false);
    bool sized = pixels != nullptr && capture->width == width && capture->height == height;
    if (sized)
        capture->pixels.assign(pixels, pixels + size_t(width) * size_t(height) * 4);
    else
        std::fprintf(stderr, "the capture is not a %d x %d picture\n", width, height);
    GR_Image_FreePNG();
    return sized;
}

// Compares a capture with the picture `expected` gives for each pixel: its word (red in the low
// byte), or -1 for a pixel not checked. Prints the first difference.
template <typename Expected> bool CaptureShows(const Capture& shot, Expected expected)
{
    for (int32_t y = 0; y < shot.height; ++y) {
        for (int32_t x = 0; x < shot.width; ++x) {
            int64_t want = expected(x, y);
            const uint8_t* p = shot.At(x, y);
            if (want < 0 ||
                (p[0] == (want & 0xFF) && p[1] == ((want >> 8) & 0xFF) && p[2] == ((want >> 16) & 0xFF)))
                continue;
            std::fprintf(stderr, "capture differs at %d,%d: %d,%d,%d where %d,%d,%d was expected\n", x, y,
                         p[0], p[1], p[2], int(want & 0xFF), int((want >> 8) & 0xFF),
                         int((want >> 16) & 0xFF));
            return false;
        }
    }
    return true;
}

// The better of two timings, either of which may have failed (-1).
inline double Best(double a, double b)
{
    if (a < 0) return b;
    if (b < 0) return a;
    return std::min(a, b);
}

// Best of `tries` timings of kelvaro (and of its peer, when it has one), printed as one row with the
// ratio; `peer` gives the peer's command for a run length, or an empty string for none.
template <typename Ours, typename Peer>
void TimeRow(const char* label, Ours ours, Peer peer, int32_t shortRun, int32_t longRun, int32_t tries)
{
    double kelvaroMs = -1, peerMs = -1;
    bool hasPeer = !peer(shortRun).empty();
    for (int32_t t = 0; t < tries; ++t) {
        kelvaroMs = Best(kelvaroMs, PerFrame(ours, shortRun, longRun));
        if (hasPeer) peerMs = Best(peerMs, PerFrame(peer, shortRun, longRun));
    }
    std::printf("%-10s %12.2f ", label, kelvaroMs);
    if (!hasPeer)
        std::printf("%12s %8s\n", "-", "-");
    else if (kelvaroMs > 0 && peerMs > 0)
        std::printf("%12.2f %8.2f\n", peerMs, kelvaroMs / peerMs);
    else
        std::printf("%12s %8s\n", "-", "unavailable (is `love` installed?)");
}

// The command line of a scene benchmark: NAME KELVARO [short long [tries]].
struct SceneRuns {
    std::string kelvaro;
    int32_t shortRun = 30, longRun = 130, tries = 3;
};

inline bool ReadSceneRuns(int argc, char** argv, const char* name, SceneRuns* runs)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s KELVARO [short long [tries]]\n", name);
        return false;
    }
    runs->kelvaro = argv[1];
    if (argc > 3) {
        runs->shortRun = std::atoi(argv[2]);
        runs->longRun = std::atoi(argv[3]);
    }
    if (argc > 4) runs->tries = std::max(1, std::atoi(argv[4]));
    return true;
}

// One size of a scene: its game written to NAME_SIZE.win, frame `frame` captured and compared with the
// picture `expected` gives (CaptureShows), then timed against the peer (TimeRow). False, with a row
// saying so, when the frame is not the scene's picture.
template <typename Expected, typename Peer>
bool TimeScene(const SceneRuns& runs, const std::string& name, int32_t size, const gamebuild::GameDesc& game,
               int32_t frame, int32_t width, int32_t height, Expected expected, Peer peer)
{
    std::string label = std::to_string(size);
    std::string file = name + "_" + label + ".win";
    Capture shot;
    if (!WriteGame(game, file) || !CaptureFrame(runs.kelvaro, file, frame, width, height, &shot) ||
        !CaptureShows(shot, expected)) {
        std::printf("%-10d kelvaro's frame %d is not the scene's picture: not timed\n", size, frame);
        return false;
    }
    TimeRow(
        label.c_str(), [&](int32_t n) { return KelvaroCommand(runs.kelvaro, file, n); }, peer, runs.shortRun,
        runs.longRun, runs.tries);
    return true;
}

} // namespace bench
