// The benchmark's floor: the least a program can do to show a page. It
// opens the same maximised window through the same libraries, draws one
// line of the lessons' Gothic face on one Cairo surface the size of the
// window, shows it through the window's own pixel buffer and exits. With
// --headless it only draws. It prints the CPU milliseconds of its drawing
// and of its one present.
//
//   lesson_floor [--headless]
#include <SDL2/SDL.h>
#include <cairo.h>

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

double threadCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) * 1e-6;
}

double drawPage(cairo_surface_t* page) {
  double t0 = threadCpuMs();
  cairo_t* cr = cairo_create(page);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_select_font_face(cr, "BIZ UDGothic", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, 16);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_move_to(cr, 816, 662);
  cairo_show_text(cr, "番号を入力して下さい。");
  cairo_destroy(cr);
  cairo_surface_flush(page);
  return threadCpuMs() - t0;
}

}  // namespace

int main(int argc, char** argv) {
  bool headless = argc > 1 && std::strcmp(argv[1], "--headless") == 0;
  if (headless) {
    cairo_surface_t* page = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1920, 1080);
    double draw = drawPage(page);
    cairo_surface_destroy(page);
    std::printf("%.3f 0\n", draw);
    return 0;
  }
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "lesson_floor: %s\n", SDL_GetError());
    return 1;
  }
  SDL_Rect usable{0, 0, 1920, 1080};
  SDL_GetDisplayUsableBounds(0, &usable);
  SDL_Window* window = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, usable.w,
                                        usable.h, SDL_WINDOW_RESIZABLE | SDL_WINDOW_MAXIMIZED);
  if (!window) {
    std::fprintf(stderr, "lesson_floor: %s\n", SDL_GetError());
    return 1;
  }
  SDL_PumpEvents();
  int w = 0, h = 0;
  SDL_GetWindowSize(window, &w, &h);
  cairo_surface_t* page = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  double draw = drawPage(page);
  double t0 = threadCpuMs();
  SDL_Surface* shown = SDL_GetWindowSurface(window);
  SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(cairo_image_surface_get_data(page), w, h, 32,
                                                        cairo_image_surface_get_stride(page),
                                                        SDL_PIXELFORMAT_RGB888);
  SDL_BlitSurface(src, nullptr, shown, nullptr);
  SDL_UpdateWindowSurface(window);
  double present = threadCpuMs() - t0;
  SDL_FreeSurface(src);
  cairo_surface_destroy(page);
  SDL_DestroyWindow(window);
  SDL_Quit();
  std::printf("%.3f %.3f\n", draw, present);
  return 0;
}
