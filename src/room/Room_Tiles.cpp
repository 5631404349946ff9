// The running room's tiles: one array of records, added to and searched by the tile built-ins and
// walked in depth order by the room drawing. Removals keep the order of the tiles that stay.
#include "gamefile/GameFile_Services.h"
#include "platform/Platform_MemoryManager.h"
#include "room/Room_Class.h"

namespace {

// Left and top inclusive, right and bottom exclusive: a tile with a negative scale covers nothing.
bool CoversHalfOpen(const RoomTile& t, float x, float y)
{
    return x >= t.x && x < t.x + float(t.width) * t.xscale && y >= t.y &&
           y < t.y + float(t.height) * t.yscale;
}

bool CoversInclusive(const RoomTile& t, float x, float y)
{
    return x >= t.x && x <= t.x + float(t.width) * t.xscale && y >= t.y &&
           y <= t.y + float(t.height) * t.yscale;
}

// Keeps the tiles `keep` accepts, in order; returns how many remain.
template <typename Keep> int32_t Compact(RoomTile* tiles, int32_t count, Keep keep)
{
    int32_t kept = 0;
    for (int32_t i = 0; i < count; ++i)
        if (keep(tiles[i])) tiles[kept++] = tiles[i];
    return kept;
}

} // namespace

int32_t CRoom::AddTile(const RoomTile& tile)
{
    if (m_TileCount >= m_TileCapacity) {
        m_TileCapacity = m_TileCount + 10;
        m_pTiles = static_cast<RoomTile*>(
            MEM_REALLOC(m_pTiles, sizeof(RoomTile) * static_cast<size_t>(m_TileCapacity)));
    }
    RoomTile& added = m_pTiles[m_TileCount];
    added = tile;
    added.id = ++g_TileIdCounter;
    m_CachedTile = m_TileCount++;
    return m_CachedTile;
}

RoomTile* CRoom::GetTile(int32_t index)
{
    return index >= 0 && index < m_TileCount ? &m_pTiles[index] : nullptr;
}

int32_t CRoom::FindTile(int32_t id)
{
    if (m_CachedTile >= 0 && m_CachedTile < m_TileCount && m_pTiles[m_CachedTile].id == id)
        return m_CachedTile;
    for (int32_t i = 0; i < m_TileCount; ++i) {
        if (m_pTiles[i].id == id) return m_CachedTile = i;
    }
    return -1;
}

int32_t CRoom::FindTileAt(float x, float y, bool foreground)
{
    for (int32_t i = 0; i < m_TileCount; ++i) {
        const RoomTile& t = m_pTiles[i];
        if (CoversHalfOpen(t, x, y) && (t.depth < 0.0f) == foreground) return m_CachedTile = i;
    }
    return -1;
}

void CRoom::DeleteTile(int32_t index)
{
    if (index < 0 || index >= m_TileCount) return;
    for (int32_t i = index + 1; i < m_TileCount; ++i)
        m_pTiles[i - 1] = m_pTiles[i];
    --m_TileCount;
}

void CRoom::DeleteTileAt(float x, float y, bool foreground)
{
    m_TileCount = Compact(m_pTiles, m_TileCount, [&](const RoomTile& t) {
        bool layerKept = foreground ? t.depth > 0.0f : t.depth < 0.0f;
        return layerKept || !CoversInclusive(t, x, y);
    });
}

void CRoom::HideTileLayer(float depth)
{
    for (int32_t i = 0; i < m_TileCount; ++i)
        if (m_pTiles[i].depth == depth) m_pTiles[i].visible = 0;
}

void CRoom::ShowTileLayer(float depth)
{
    for (int32_t i = 0; i < m_TileCount; ++i)
        if (m_pTiles[i].depth == depth) m_pTiles[i].visible = 1;
}

void CRoom::DeleteTileLayer(float depth)
{
    m_TileCount = Compact(m_pTiles, m_TileCount, [&](const RoomTile& t) { return t.depth != depth; });
}

void CRoom::ShiftTileLayer(float depth, float dx, float dy)
{
    for (int32_t i = 0; i < m_TileCount; ++i) {
        if (m_pTiles[i].depth != depth) continue;
        m_pTiles[i].x += dx;
        m_pTiles[i].y += dy;
    }
}

int32_t CRoom::FindTileInLayer(float depth, float x, float y)
{
    for (int32_t i = 0; i < m_TileCount; ++i) {
        if (m_pTiles[i].depth == depth && CoversHalfOpen(m_pTiles[i], x, y)) return m_CachedTile = i;
    }
    return -1;
}

void CRoom::DeleteTileInLayerAt(float depth, float x, float y)
{
    m_TileCount = Compact(m_pTiles, m_TileCount,
                          [&](const RoomTile& t) { return t.depth != depth || !CoversHalfOpen(t, x, y); });
}

void CRoom::SetTileLayerDepth(float depth, float newDepth)
{
    for (int32_t i = 0; i < m_TileCount; ++i)
        if (m_pTiles[i].depth == depth) m_pTiles[i].depth = newDepth;
}

void CRoom::SortTiles()
{
    bool ordered = true;
    for (int32_t i = 1; i < m_TileCount && ordered; ++i)
        ordered = m_pTiles[i].depth <= m_pTiles[i - 1].depth;
    if (ordered) return;
    // Insertion moves a tile only past strictly smaller depths, so equal depths keep their order.
    for (int32_t i = 1; i < m_TileCount; ++i) {
        RoomTile tile = m_pTiles[i];
        int32_t j = i;
        for (; j > 0 && tile.depth > m_pTiles[j - 1].depth; --j)
            m_pTiles[j] = m_pTiles[j - 1];
        m_pTiles[j] = tile;
    }
}
