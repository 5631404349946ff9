// Pictures the device holds saved as PNG files (screen_save, surface_save and their part forms):
// a rectangle of the screen or of a surface is read back, its red and blue bytes exchanged for the
// PNG writer, and written through the save area.
#pragma once

#include <cstddef>
#include <cstdint>

// Exchanges the first and third byte of every 4-byte pixel, width pixels a row; nothing for a
// height below 1.
void Graphics_SwapRedBlue(uint8_t* pixels, int32_t width, int32_t height);

// A picture held as blue, green, red, alpha words (`count` of them) written through the save area
// as a width x height PNG; false when it holds fewer pixels than that or the file is not written.
bool GR_Pixels_SavePng(const char* fileName, const uint32_t* pixels, size_t count, int32_t width, int32_t height);

// The rectangle is clipped first as the read-back clips it (from 0, within the window and the screen
// picture, or within the surface's texture), so the file holds exactly the pixels read. False when
// nothing was read or written.
bool GR_Screen_SavePng(const char* fileName, int32_t x, int32_t y, int32_t width, int32_t height);
bool GR_Surface_SavePng(int32_t texture, const char* fileName, int32_t x, int32_t y, int32_t width,
                        int32_t height);
