// Sprites loaded from an http or https address: the table appends an empty sprite and answers its
// index at once; the image is decoded into it when the request has finished, and the image-loaded
// event (60) follows with "filename", "id", "http_status" and "status".
#pragma once

#include <cstdint>

struct HTTP_REQ_CONTEXT;

// The load record, owned by the request and freed by Sprite_AsyncLoadFree.
struct SpriteLoadRequest {
    enum : uint32_t { PRECISE = 1, REMOVE_BACKGROUND = 2, SMOOTH = 4, PRELOAD = 8 };
    int32_t sprite = -1;
    int32_t frames = 1;
    int32_t xorigin = 0;
    int32_t yorigin = 0;
    uint32_t flags = 0;
};

// Starts the GET of the image for the sprite of that slot.
void Sprite_StartUrlLoad(int32_t index, const char* url, int32_t frames, bool precise, bool removeBackground,
                         bool smooth, bool preload, int32_t xorigin, int32_t yorigin);

// The request's completion: the event map, and the image decoded by the address's extension when the
// reply is a 200 with data and the slot still holds a sprite. Answers 60.
int32_t Sprite_AsyncLoadDone(HTTP_REQ_CONTEXT* request, void* record, int32_t* mapId);
void Sprite_AsyncLoadFree(HTTP_REQ_CONTEXT* request);
