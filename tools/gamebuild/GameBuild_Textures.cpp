#include "gamebuild/GameBuild_Textures.h"

#include <json.h>
#include <png.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

#include "gamebuild/GameBuild_Image.h"

namespace gamebuild {
namespace {

constexpr int32_t SIDE_LIMIT = 32767; // the page records hold sizes in 16 bits

struct Box {
    int32_t left = 0, top = 0, width = 1, height = 1;
};

// The part of a picture whose alpha is not 0; a wholly clear picture keeps one pixel.
Box OpaqueBox(const PictureDesc& p)
{
    int32_t left = p.width, top = p.height, right = -1, bottom = -1;
    for (int32_t y = 0; y < p.height; ++y) {
        for (int32_t x = 0; x < p.width; ++x) {
            if ((p.pixels[size_t(y) * size_t(p.width) + size_t(x)] >> 24) == 0) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0) return Box{};
    return Box{left, top, right - left + 1, bottom - top + 1};
}

bool CheckPicture(const PictureDesc& p, const TexturesDesc& t, size_t index, ImageWriter& image)
{
    std::string where = "textures.pictures[" + std::to_string(index) + "]";
    if (p.width < 1 || p.height < 1 || p.width > SIDE_LIMIT || p.height > SIDE_LIMIT ||
        p.pixels.size() != size_t(p.width) * size_t(p.height)) {
        image.Error(where + ": a picture needs 1 to 32767 pixels a side and every pixel");
        return false;
    }
    Box box = t.crop && !p.keepWhole ? OpaqueBox(p) : Box{0, 0, p.width, p.height};
    if (box.width > t.pageSize || box.height > t.pageSize) {
        image.Error(where + ": larger than a page of " + std::to_string(t.pageSize));
        return false;
    }
    return true;
}

bool PageSizeAllowed(int32_t size)
{
    return size >= 64 && size <= 4096 && (size & (size - 1)) == 0;
}

// Rows of pictures filled left to right; a picture that does not fit starts a row, a row that does
// not fit starts a page.
struct Shelf {
    int32_t pageSize;
    int32_t padding;
    int32_t page = 0, x = 0, y = 0, rowHeight = 0;

    void Place(int32_t w, int32_t h, int32_t& outPage, int32_t& outX, int32_t& outY)
    {
        if (x > 0 && x + w > pageSize) {
            x = 0;
            y += rowHeight + padding;
            rowHeight = 0;
        }
        if (y > 0 && y + h > pageSize) {
            ++page;
            x = y = rowHeight = 0;
        }
        outPage = page;
        outX = x;
        outY = y;
        x += w + padding;
        rowHeight = std::max(rowHeight, h);
    }
};

void CopyBox(const PictureDesc& p, const Box& box, std::vector<uint32_t>& page, int32_t pageSize, int32_t atX,
             int32_t atY)
{
    for (int32_t row = 0; row < box.height; ++row) {
        const uint32_t* from = &p.pixels[size_t(box.top + row) * size_t(p.width) + size_t(box.left)];
        std::copy(from, from + box.width, &page[size_t(atY + row) * size_t(pageSize) + size_t(atX)]);
    }
}

// ---- the manifest ----

bool ReadInt(json_object* value, int64_t low, int64_t high, int64_t& out)
{
    json_type type = json_object_get_type(value);
    if (type == json_type_boolean)
        out = json_object_get_boolean(value) ? 1 : 0;
    else if (type == json_type_int)
        out = json_object_get_int64(value);
    else if (type == json_type_string) {
        const char* text = json_object_get_string(value);
        char* end = nullptr;
        if (std::strncmp(text, "0x", 2) != 0 || text[2] == '\0') return false;
        out = int64_t(std::strtoull(text + 2, &end, 16));
        if (*end != '\0' || std::strlen(text) > 18) return false;
    } else
        return false;
    return out >= low && out <= high;
}

template <typename T>
void Int(json_object* value, const std::string& where, T& field, const ManifestFail& fail)
{
    int64_t read = 0;
    if (!ReadInt(value, std::numeric_limits<T>::min(), std::numeric_limits<T>::max(), read))
        fail(where, "expected a whole number in range (or \"0x\" and hex digits)");
    else
        field = T(read);
}

void PictureFromFile(json_object* value, const std::string& folder, const std::string& where, PictureDesc& p,
                     const ManifestFail& fail)
{
    if (json_object_get_type(value) != json_type_string) {
        fail(where, "expected a file name");
        return;
    }
    std::string name = json_object_get_string(value);
    std::ifstream in(std::filesystem::path(folder) / name, std::ios::binary);
    if (!in) {
        fail(where, "cannot read " + name);
        return;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!DecodePng(bytes, p)) fail(where, name + " is not a PNG file");
}

void Picture(json_object* object, const std::string& folder, const std::string& at, PictureDesc& p,
             const ManifestFail& fail)
{
    if (json_object_get_type(object) != json_type_object) {
        fail(at, "expected an object");
        return;
    }
    json_object* file = nullptr;
    bool filled = false;
    uint32_t fill = 0;
    json_object_object_foreach(object, key, value)
    {
        std::string where = at + "." + key;
        if (std::strcmp(key, "name") == 0 && json_object_get_type(value) == json_type_string)
            p.name = json_object_get_string(value);
        else if (std::strcmp(key, "file") == 0)
            file = value;
        else if (std::strcmp(key, "width") == 0)
            Int(value, where, p.width, fail);
        else if (std::strcmp(key, "height") == 0)
            Int(value, where, p.height, fail);
        else if (std::strcmp(key, "fill") == 0) {
            Int(value, where, fill, fail);
            filled = true;
        } else
            fail(where, "unknown key");
    }
    if ((file != nullptr) == filled) {
        fail(at, "give either \"file\" or \"width\", \"height\" and \"fill\"");
        return;
    }
    if (file != nullptr) {
        PictureFromFile(file, folder, at + ".file", p, fail);
    } else if (p.width < 1 || p.height < 1 || p.width > SIDE_LIMIT || p.height > SIDE_LIMIT) {
        fail(at, "a filled picture needs a width and a height from 1 to 32767");
    } else {
        p.pixels.assign(size_t(p.width) * size_t(p.height), fill);
    }
}

void Entry(json_object* object, const std::string& at, PageEntryDesc& e, const ManifestFail& fail)
{
    if (json_object_get_type(object) != json_type_object) {
        fail(at, "expected an object");
        return;
    }
    struct Field {
        const char* name;
        int16_t* field;
    };
    const Field fields[] = {{"x", &e.x},
                            {"y", &e.y},
                            {"width", &e.width},
                            {"height", &e.height},
                            {"xOffset", &e.xOffset},
                            {"yOffset", &e.yOffset},
                            {"cropWidth", &e.cropWidth},
                            {"cropHeight", &e.cropHeight},
                            {"frameWidth", &e.frameWidth},
                            {"frameHeight", &e.frameHeight},
                            {"texture", &e.texture}};
    json_object_object_foreach(object, key, value)
    {
        std::string where = at + "." + key;
        bool known = false;
        for (const Field& f : fields) {
            if (std::strcmp(key, f.name) != 0) continue;
            Int(value, where, *f.field, fail);
            known = true;
        }
        if (!known) fail(where, "unknown key");
    }
}

template <typename T, typename Read>
void List(json_object* value, const std::string& where, std::vector<T>& out, const ManifestFail& fail,
          Read read)
{
    if (json_object_get_type(value) != json_type_array) {
        fail(where, "expected an array");
        return;
    }
    for (size_t i = 0; i < json_object_array_length(value); ++i) {
        out.emplace_back();
        read(json_object_array_get_idx(value, i), where + "[" + std::to_string(i) + "]", out.back());
    }
}

} // namespace

bool ReadManifestInt(json_object* value, int64_t low, int64_t high, int64_t& out)
{
    return ReadInt(value, low, high, out);
}

void ReadPictureManifest(json_object* object, const std::string& folder, const std::string& at, PictureDesc& p,
                         const std::function<void(const std::string&, const std::string&)>& fail)
{
    Picture(object, folder, at, p, fail);
}

TextureLayout PackTextures(const TexturesDesc& t, ImageWriter& image)
{
    TextureLayout layout;
    if (!PageSizeAllowed(t.pageSize)) {
        image.Error("textures.pageSize: a power of two from 64 to 4096");
        return layout;
    }
    if (t.padding < 0 || t.padding > t.pageSize) {
        image.Error("textures.padding: out of range");
        return layout;
    }
    std::vector<size_t> order;
    for (size_t i = 0; i < t.pictures.size(); ++i) {
        if (CheckPicture(t.pictures[i], t, i, image)) order.push_back(i);
    }
    if (order.size() != t.pictures.size()) return layout;
    std::vector<Box> boxes;
    for (const PictureDesc& p : t.pictures)
        boxes.push_back(t.crop && !p.keepWhole ? OpaqueBox(p) : Box{0, 0, p.width, p.height});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return boxes[a].height > boxes[b].height; });
    layout.entries.resize(t.pictures.size());
    Shelf shelf{t.pageSize, t.padding};
    for (size_t i : order) {
        const Box& box = boxes[i];
        int32_t page = 0, x = 0, y = 0;
        shelf.Place(box.width, box.height, page, x, y);
        if (size_t(page) >= layout.pages.size())
            layout.pages.emplace_back(size_t(t.pageSize) * size_t(t.pageSize), 0u);
        CopyBox(t.pictures[i], box, layout.pages[size_t(page)], t.pageSize, x, y);
        const PictureDesc& p = t.pictures[i];
        layout.entries[i] =
            PageEntryDesc{int16_t(x),        int16_t(y),        int16_t(box.width), int16_t(box.height),
                          int16_t(box.left), int16_t(box.top),  int16_t(box.width), int16_t(box.height),
                          int16_t(p.width),  int16_t(p.height), int16_t(page)};
    }
    layout.entries.insert(layout.entries.end(), t.extraEntries.begin(), t.extraEntries.end());
    return layout;
}

uint32_t WriteTexturePagesChunk(ImageWriter& image, const TexturesDesc& textures)
{
    TextureLayout layout = PackTextures(textures, image);
    image.BeginChunk("TPAG");
    image.U32(uint32_t(layout.entries.size()));
    uint32_t first = image.Position() + 4 * uint32_t(layout.entries.size());
    for (size_t i = 0; i < layout.entries.size(); ++i)
        image.U32(first + 22 * uint32_t(i));
    for (const PageEntryDesc& e : layout.entries) {
        for (int16_t field : {e.x, e.y, e.width, e.height, e.xOffset, e.yOffset, e.cropWidth, e.cropHeight,
                              e.frameWidth, e.frameHeight, e.texture})
            image.U16(uint16_t(field));
    }
    image.EndChunk();
    return first;
}

void WriteTexturesChunk(ImageWriter& image, const TexturesDesc& textures)
{
    // The page records' writer reports the packing's problems; here they only stop the build.
    ImageWriter scratch;
    TextureLayout layout = PackTextures(textures, scratch);
    std::vector<uint8_t> unused;
    std::string problems;
    if (!scratch.Finish(unused, problems))
        image.Error("textures: the pictures could not be packed into pages");
    std::vector<std::vector<uint8_t>> blobs;
    for (size_t i = 0; i < layout.pages.size(); ++i) {
        PictureDesc page{"page", textures.pageSize, textures.pageSize, std::move(layout.pages[i])};
        blobs.push_back(EncodePng(page));
        if (blobs.back().empty())
            image.Error("textures: page " + std::to_string(i) + " could not be written");
    }
    image.BeginChunk("TXTR");
    uint32_t count = uint32_t(blobs.size());
    image.U32(count);
    uint32_t entries = image.Position() + 4 * count;
    for (uint32_t i = 0; i < count; ++i)
        image.U32(entries + 8 * i);
    uint32_t blob = entries + 8 * count;
    for (const std::vector<uint8_t>& bytes : blobs) {
        image.U32(textures.flags);
        image.U32(blob);
        blob += uint32_t(bytes.size());
    }
    for (const std::vector<uint8_t>& bytes : blobs)
        image.Bytes(bytes);
    image.EndChunk();
}

std::vector<uint8_t> EncodePng(const PictureDesc& picture)
{
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(picture.width);
    png.height = png_uint_32(picture.height);
    png.format = PNG_FORMAT_BGRA; // 0xAARRGGBB words, little-endian
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&png, nullptr, &size, 0, picture.pixels.data(), 0, nullptr)) return {};
    std::vector<uint8_t> out(size);
    if (!png_image_write_to_memory(&png, out.data(), &size, 0, picture.pixels.data(), 0, nullptr)) return {};
    out.resize(size);
    return out;
}

bool DecodePng(const std::vector<uint8_t>& data, PictureDesc& picture)
{
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, data.data(), data.size())) return false;
    if (png.width < 1 || png.height < 1 || png.width > SIDE_LIMIT || png.height > SIDE_LIMIT) {
        png_image_free(&png);
        return false;
    }
    png.format = PNG_FORMAT_BGRA;
    picture.width = int32_t(png.width);
    picture.height = int32_t(png.height);
    picture.pixels.assign(size_t(png.width) * size_t(png.height), 0u);
    if (!png_image_finish_read(&png, nullptr, picture.pixels.data(), 0, nullptr)) {
        png_image_free(&png);
        return false;
    }
    return true;
}

void ReadTexturesManifest(json_object* object, const std::string& folder, TexturesDesc& t,
                          const ManifestFail& fail)
{
    if (json_object_get_type(object) != json_type_object) {
        fail("textures", "expected an object");
        return;
    }
    json_object_object_foreach(object, key, value)
    {
        std::string where = std::string("textures.") + key;
        if (std::strcmp(key, "pageSize") == 0)
            Int(value, where, t.pageSize, fail);
        else if (std::strcmp(key, "flags") == 0)
            Int(value, where, t.flags, fail);
        else if (std::strcmp(key, "padding") == 0)
            Int(value, where, t.padding, fail);
        else if (std::strcmp(key, "crop") == 0) {
            int32_t crop = 1;
            Int(value, where, crop, fail);
            t.crop = crop != 0;
        } else if (std::strcmp(key, "pictures") == 0)
            List(value, where, t.pictures, fail,
                 [&](json_object* item, const std::string& at, PictureDesc& p) {
                     Picture(item, folder, at, p, fail);
                 });
        else if (std::strcmp(key, "entries") == 0)
            List(value, where, t.extraEntries, fail,
                 [&](json_object* item, const std::string& at, PageEntryDesc& e) {
                     Entry(item, at, e, fail);
                 });
        else
            fail(where, "unknown key");
    }
    if (!PageSizeAllowed(t.pageSize)) fail("textures.pageSize", "a power of two from 64 to 4096");
}

} // namespace gamebuild
