#include "sprite/Sprite_Url.h"

#include <strings.h>

#include <cstring>

#include "datastructure/DataStructure_Map.h"
#include "http/Http_Request.h"
#include "sprite/Sprite_Table.h"

namespace {

constexpr int32_t EVENT_IMAGE_LOADED = 60;
constexpr int32_t HTTP_OK = 200;
// The GET's second argument, which the request layer does not use.
constexpr int32_t UNUSED_ARGUMENT = -1;

enum class Decoder { Png, Jpeg, Gif };

// By the address's extension: the text from its last dot, in any case.
Decoder DecoderFor(const char* url)
{
    const char* dot = std::strrchr(url, '.');
    if (dot == nullptr) return Decoder::Png;
    if (strcasecmp(dot, ".gif") == 0) return Decoder::Gif;
    if (strcasecmp(dot, ".jpg") == 0 || strcasecmp(dot, ".jpeg") == 0) return Decoder::Jpeg;
    return Decoder::Png;
}

// When the extension's own decoder fails the data is tried as PNG.
void Decode(CSprite* sprite, const HTTP_REQ_CONTEXT* request, const SpriteLoadRequest& r)
{
    bool precise = (r.flags & SpriteLoadRequest::PRECISE) != 0;
    bool remove = (r.flags & SpriteLoadRequest::REMOVE_BACKGROUND) != 0;
    bool smooth = (r.flags & SpriteLoadRequest::SMOOTH) != 0;
    const uint8_t* data = request->m_pData;
    int32_t size = request->m_DataLength;
    Decoder decoder = DecoderFor(request->m_pUrl);
    bool loaded = false;
    if (decoder == Decoder::Gif)
        loaded = sprite->LoadFromGIF(data, size, r.frames, precise, remove, smooth, r.xorigin, r.yorigin, !remove);
    else if (decoder == Decoder::Jpeg)
        loaded = sprite->LoadFromJPEG(data, size, r.frames, precise, remove, smooth, r.xorigin, r.yorigin, !remove);
    if (!loaded) sprite->LoadFromPNG(data, size, r.frames, precise, remove, smooth, r.xorigin, r.yorigin, !remove);
}

} // namespace

void Sprite_StartUrlLoad(int32_t index, const char* url, int32_t frames, bool precise, bool removeBackground,
                         bool smooth, bool preload, int32_t xorigin, int32_t yorigin)
{
    auto* record = new SpriteLoadRequest;
    record->sprite = index;
    record->frames = frames;
    record->xorigin = xorigin;
    record->yorigin = yorigin;
    record->flags = (precise ? SpriteLoadRequest::PRECISE : 0u) |
                    (removeBackground ? SpriteLoadRequest::REMOVE_BACKGROUND : 0u) |
                    (smooth ? SpriteLoadRequest::SMOOTH : 0u) | (preload ? SpriteLoadRequest::PRELOAD : 0u);
    int32_t id = g_HttpRequestCounter;
    HTTP_Get(url, UNUSED_ARGUMENT, Sprite_AsyncLoadDone, Sprite_AsyncLoadFree, record);
    // No request was made (the transfer library could not be set up): nothing will free the record.
    if (g_HttpRequestCounter == id) delete record;
}

int32_t Sprite_AsyncLoadDone(HTTP_REQ_CONTEXT* request, void* user, int32_t* mapId)
{
    const auto* record = static_cast<const SpriteLoadRequest*>(user);
    const char* url = request->m_pUrl != nullptr ? request->m_pUrl : "";
    bool arrived = request->m_DataLength >= 1;
    *mapId = DS_MapCreate(4, "filename", 0.0, url, "id", double(record->sprite), static_cast<const char*>(nullptr),
                          "http_status", double(request->m_HttpStatus), static_cast<const char*>(nullptr), "status",
                          arrived ? 0.0 : -1.0, static_cast<const char*>(nullptr));
    CSprite* sprite = Sprite_Get(record->sprite);
    if (request->m_HttpStatus == HTTP_OK && arrived && sprite != nullptr) {
        Decode(sprite, request, *record);
        // Decoding starts from a cleared sprite, which forgets the name and index of its slot.
        Sprite_RebindSlot(record->sprite);
        Sprite_MarkInstanceBoxesDirty(record->sprite);
    }
    return EVENT_IMAGE_LOADED;
}

void Sprite_AsyncLoadFree(HTTP_REQ_CONTEXT* request)
{
    delete static_cast<SpriteLoadRequest*>(request->m_pUser);
    request->m_pUser = nullptr;
}
