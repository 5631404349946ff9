// JPEG decoding through libjpeg, from a block in memory.
#include <cstdio>

#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>

#include "graphics/Graphics_Image.h"
#include "platform/Platform_MemoryManager.h"

namespace {

// What libjpeg may hold for one picture beyond our pixel block (progressive coefficients and the
// like); more than this fails the picture instead of exhausting memory.
constexpr int64_t JPEG_MEMORY_LIMIT = int64_t(256) << 20;

struct JpegContext {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errors{};
    jpeg_source_mgr source{};
    jmp_buf jump;
    bool created = false;
    const uint8_t* data = nullptr;
    size_t length = 0;
    uint8_t* row = nullptr;
    uint8_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

const JOCTET END_OF_IMAGE[2] = {0xFF, JPEG_EOI};

JpegContext* ContextOf(j_common_ptr cinfo) { return static_cast<JpegContext*>(cinfo->client_data); }

// libjpeg's default ends the process on a bad file; here the picture alone fails.
[[noreturn]] void OnError(j_common_ptr cinfo) { std::longjmp(ContextOf(cinfo)->jump, 1); }
void OnMessage(j_common_ptr) {}

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

// The whole block was given at once: past its end an end-of-image marker lets the decoder finish
// with what it has.
boolean FillInput(j_decompress_ptr cinfo)
{
    cinfo->src->next_input_byte = END_OF_IMAGE;
    cinfo->src->bytes_in_buffer = sizeof END_OF_IMAGE;
    return TRUE;
}

// libjpeg's callback takes a long.
void SkipInput(j_decompress_ptr cinfo, long count)
{
    if (count <= 0) return;
    size_t skipped = std::min(static_cast<size_t>(count), cinfo->src->bytes_in_buffer);
    cinfo->src->next_input_byte += skipped;
    cinfo->src->bytes_in_buffer -= skipped;
}

void StoreRow(const uint8_t* row, int components, int32_t width, uint8_t* out)
{
    if (components != 3 && components != 4) return;
    for (int32_t x = 0; x < width; ++x, row += components, out += 4) {
        out[0] = row[2];
        out[1] = row[1];
        out[2] = row[0];
        out[3] = components == 4 ? row[3] : 0xFF;
    }
}

// The steps that libjpeg may abandon through OnError; what they change lives in the context.
bool DecodeSteps(JpegContext* c)
{
    if (setjmp(c->jump)) return false;
    c->cinfo.err = jpeg_std_error(&c->errors);
    c->errors.error_exit = OnError;
    c->errors.output_message = OnMessage;
    c->cinfo.client_data = c;
    jpeg_create_decompress(&c->cinfo);
    c->created = true;
    c->cinfo.mem->max_memory_to_use = JPEG_MEMORY_LIMIT;

    c->source.init_source = InitSource;
    c->source.fill_input_buffer = FillInput;
    c->source.skip_input_data = SkipInput;
    c->source.resync_to_restart = jpeg_resync_to_restart;
    c->source.term_source = TermSource;
    c->source.next_input_byte = c->data;
    c->source.bytes_in_buffer = c->length;
    c->cinfo.src = &c->source;

    if (jpeg_read_header(&c->cinfo, TRUE) != JPEG_HEADER_OK) return false;
    if (!GR_Image_SizeAllowed(c->cinfo.image_width, c->cinfo.image_height)) return false;
    // A grey picture is widened to red, green and blue, so that it keeps its picture.
    if (c->cinfo.jpeg_color_space == JCS_GRAYSCALE) c->cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&c->cinfo);
    int32_t width = static_cast<int32_t>(c->cinfo.output_width);
    int32_t height = static_cast<int32_t>(c->cinfo.output_height);
    int components = c->cinfo.output_components;
    if (!GR_Image_SizeAllowed(width, height) || components < 1) return false;

    c->row = static_cast<uint8_t*>(MEM_ALLOC(size_t(width) * components, true));
    c->pixels = static_cast<uint8_t*>(MEM_ALLOC(size_t(width) * height * 4, true));
    while (c->cinfo.output_scanline < c->cinfo.output_height) {
        JSAMPROW row = c->row;
        size_t y = c->cinfo.output_scanline;
        if (jpeg_read_scanlines(&c->cinfo, &row, 1) != 1) return false;
        StoreRow(c->row, components, width, c->pixels + y * width * 4);
    }
    jpeg_finish_decompress(&c->cinfo);
    c->width = width;
    c->height = height;
    return true;
}

} // namespace

uint8_t* JPEG_Decode(const void* data, int32_t length, int32_t* width, int32_t* height)
{
    if (data == nullptr || length <= 0) return nullptr;
    JpegContext context;
    context.data = static_cast<const uint8_t*>(data);
    context.length = static_cast<size_t>(length);
    bool ok = DecodeSteps(&context);
    if (context.created) jpeg_destroy_decompress(&context.cinfo);
    MemoryManager::Free(context.row);
    if (!ok) {
        MemoryManager::Free(context.pixels);
        return nullptr;
    }
    *width = context.width;
    *height = context.height;
    return context.pixels;
}
