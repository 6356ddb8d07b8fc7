#include "runtime/display.h"

#include <SDL2/SDL.h>
#include <cairo.h>

#include <cstdio>
#include <deque>

namespace rt {

namespace {

class QueueDisplay : public Display {
 public:
  explicit QueueDisplay(std::vector<int> keys) : queue_(keys.begin(), keys.end()) {}
  void push(const std::vector<int>& keys) { queue_.insert(queue_.end(), keys.begin(), keys.end()); }
  void pushClose() { queue_.push_back(kCloseEvent); }

 protected:
  std::deque<int> queue_;
};

// A headless run: the keys of its script, then the end of the run.
class HeadlessDisplay : public QueueDisplay {
 public:
  using QueueDisplay::QueueDisplay;
  int poll() override {
    if (queue_.empty() || queue_.front() == kCloseEvent) throw ProgramEnd{0};
    int k = queue_.front();
    queue_.pop_front();
    return k;
  }
  void idle() override {}
  void present(cairo_surface_t*) override {}
  void holdUntilClosed(cairo_surface_t*) override {}
};

// The maximised window: the page shown 1:1 at its top-left.
class WindowDisplay : public QueueDisplay {
 public:
  WindowDisplay(std::vector<int> keys, bool sizeGiven, int& width, int& height)
      : QueueDisplay(std::move(keys)) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
      std::fprintf(stderr, "cannot open a window: %s\n", SDL_GetError());
      throw ProgramEnd{1};
    }
    SDL_Rect usable{0, 0, width, height};
    if (!sizeGiven && SDL_GetDisplayUsableBounds(0, &usable) == 0) {
      width = usable.w;
      height = usable.h;
    }
    Uint32 flags = SDL_WINDOW_RESIZABLE | (sizeGiven ? 0 : SDL_WINDOW_MAXIMIZED);
    window_ = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags);
    if (!window_) {
      std::fprintf(stderr, "cannot open a window: %s\n", SDL_GetError());
      SDL_Quit();
      throw ProgramEnd{1};
    }
    SDL_PumpEvents();
    SDL_GetWindowSize(window_, &width, &height);
    SDL_StartTextInput();
  }
  ~WindowDisplay() override {
    SDL_DestroyWindow(window_);
    SDL_Quit();
  }

  int poll() override {
    pump(0);
    if (queue_.empty()) return -1;
    int k = queue_.front();
    queue_.pop_front();
    if (k == kCloseEvent) throw ProgramEnd{0};
    return k;
  }
  void idle() override { pump(8); }
  void present(cairo_surface_t* page) override {
    page_ = page;
    blit();
  }
  void holdUntilClosed(cairo_surface_t* page) override {
    present(page);
    for (;;) {
      queue_.clear();
      pump(50);
      for (int k : queue_)
        if (k == kCloseEvent) return;
    }
  }
  void setTitle(const std::string& title) override { SDL_SetWindowTitle(window_, title.c_str()); }

 private:
  void blit() {
    if (!page_) return;
    cairo_surface_flush(page_);
    SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(
        cairo_image_surface_get_data(page_), cairo_image_surface_get_width(page_),
        cairo_image_surface_get_height(page_), 32, cairo_image_surface_get_stride(page_),
        SDL_PIXELFORMAT_RGB888);
    SDL_Surface* dst = SDL_GetWindowSurface(window_);
    if (src && dst) {
      SDL_BlitSurface(src, nullptr, dst, nullptr);
      SDL_UpdateWindowSurface(window_);
    }
    if (src) SDL_FreeSurface(src);
  }

  // Handles the window's events, waiting up to `ms` for the first.
  void pump(int ms) {
    SDL_Event ev;
    bool got = ms > 0 ? SDL_WaitEventTimeout(&ev, ms) : SDL_PollEvent(&ev);
    while (got) {
      handle(ev);
      got = SDL_PollEvent(&ev);
    }
  }

  void handle(const SDL_Event& ev) {
    switch (ev.type) {
      case SDL_QUIT:
        queue_.push_back(kCloseEvent);
        break;
      case SDL_WINDOWEVENT:
        if (ev.window.event == SDL_WINDOWEVENT_CLOSE) queue_.push_back(kCloseEvent);
        else if (ev.window.event == SDL_WINDOWEVENT_EXPOSED ||
                 ev.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
          blit();
        break;
      case SDL_TEXTINPUT:
        // Printable ASCII only: full-width input is ignored.
        for (const char* p = ev.text.text; *p; ++p) {
          unsigned char c = static_cast<unsigned char>(*p);
          if (c >= 0x20 && c < 0x7f) queue_.push_back(c);
        }
        break;
      case SDL_KEYDOWN:
        switch (ev.key.keysym.sym) {
          case SDLK_RETURN: case SDLK_KP_ENTER: queue_.push_back(kEnter); break;
          case SDLK_BACKSPACE: queue_.push_back(kBackspace); break;
          case SDLK_DELETE: queue_.push_back(kClear); break;
          case SDLK_ESCAPE: queue_.push_back(kEsc); break;
          case SDLK_RIGHT: queue_.push_back(kRight); break;
          case SDLK_LEFT: queue_.push_back(kLeft); break;
          case SDLK_UP: queue_.push_back(kUp); break;
          case SDLK_DOWN: queue_.push_back(kDown); break;
          default: break;
        }
        break;
      default:
        break;
    }
  }

  SDL_Window* window_ = nullptr;
  cairo_surface_t* page_ = nullptr;
};

}  // namespace

std::unique_ptr<Display> makeHeadlessDisplay(std::vector<int> keys) {
  return std::make_unique<HeadlessDisplay>(std::move(keys));
}

std::unique_ptr<Display> makeWindowDisplay(std::vector<int> keys, bool sizeGiven, int& width,
                                           int& height) {
  return std::make_unique<WindowDisplay>(std::move(keys), sizeGiven, width, height);
}

void showStartupError(const std::string& message, bool headless) {
  std::fprintf(stderr, "%s\n", message.c_str());
  if (!headless) SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "", message.c_str(), nullptr);
}

void pushDisplayKeys(Display& display, const std::vector<int>& keys) {
  static_cast<QueueDisplay&>(display).push(keys);
}

void pushDisplayClose(Display& display) { static_cast<QueueDisplay&>(display).pushClose(); }

}  // namespace rt
