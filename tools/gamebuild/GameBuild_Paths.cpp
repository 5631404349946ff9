// The paths chunk and the time-lines chunk: count tables of records. A path record holds its name,
// kind, closed flag, precision, point count and the points (x, y, speed as 32-bit reals); a time
// line record its name, moment count and, per moment, the time and the offset of an event entry like
// an object's (GameBuild_Objects.cpp).
#include "gamebuild/GameBuild_Chunks.h"

namespace gamebuild {
namespace {

// A count table of `count` slots, each patched with its record's offset when `write` writes one.
template <typename Write> void WriteCountTable(ImageWriter& image, size_t count, Write write)
{
    image.U32(static_cast<uint32_t>(count));
    uint32_t table = image.Position();
    image.Zeros(4 * static_cast<uint32_t>(count));
    for (size_t i = 0; i < count; ++i) {
        uint32_t at = image.Position();
        if (write(i)) image.PatchU32(table + 4 * static_cast<uint32_t>(i), at);
    }
}

} // namespace

void WritePathsChunk(ImageWriter& image, const GameDesc& game)
{
    image.BeginChunk("PATH");
    WriteCountTable(image, game.paths.size(), [&](size_t i) {
        const PathDesc& path = game.paths[i];
        if (!path.present) return false;
        image.StringRef(path.name);
        image.I32(path.kind);
        image.U32(path.closed ? 1 : 0);
        image.I32(path.precision);
        image.U32(static_cast<uint32_t>(path.points.size()));
        for (const std::array<float, 3>& point : path.points)
            for (float value : point) image.F32(value);
        return true;
    });
    image.EndChunk();
}

void WriteTimeLinesChunk(ImageWriter& image, const GameDesc& game, const GameCode& code)
{
    image.BeginChunk("TMLN");
    WriteCountTable(image, game.timeLines.size(), [&](size_t i) {
        const TimeLineDesc& line = game.timeLines[i];
        if (!line.present) return false;
        image.StringRef(line.name);
        image.U32(static_cast<uint32_t>(line.moments.size()));
        uint32_t pairs = image.Position();
        image.Zeros(8 * static_cast<uint32_t>(line.moments.size()));
        for (size_t k = 0; k < line.moments.size(); ++k) {
            const MomentDesc& moment = line.moments[k];
            image.PatchU32(pairs + 8 * static_cast<uint32_t>(k), static_cast<uint32_t>(moment.time));
            image.PatchU32(pairs + 8 * static_cast<uint32_t>(k) + 4, image.Position());
            int32_t entry = i < code.momentEntry.size() && k < code.momentEntry[i].size() ? code.momentEntry[i][k] : -1;
            WriteEventEntry(image, game, moment.time, moment.code, entry);
        }
        return true;
    });
    image.EndChunk();
}

} // namespace gamebuild
