// The page as the web backend calls it (page.js): windows as canvases, input, the ending.
#pragma once

#include <cstdint>

extern "C" {
// Opens a form (`dialog` 0) or a modal box (1) of `width` x `height` device pixels; returns
// its number, or -1 when the browser gives no 2D canvas.
int tarvel_page_open(int dialog, int width, int height, const char* title, const char* text);
void tarvel_page_close(int id);
void tarvel_page_resize(int id, int width, int height);
// Copies an area of XRGB `pixels` (rows `stride` bytes apart) onto the window's canvas.
void tarvel_page_put(int id, const std::uint32_t* pixels, int stride, int left, int top, int width,
                     int height);
// Takes the oldest input as {kind (1 key, 2 press, 3 release), window, x, y, key (1 Enter,
// 2 Escape, 3 Space)}; 0 when there is none.
// A frame's areas have all been copied (the first frame shows the window).
void tarvel_page_presented(int id);
int tarvel_page_take_input(std::int32_t* out);
double tarvel_page_ratio();
void tarvel_page_ended(int status, const char* reason);
}
