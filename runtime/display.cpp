#include "runtime/display.h"

#include <SDL2/SDL.h>
#include <cairo.h>
#include <dlfcn.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <ctime>
#include <deque>

#include "runtime/changes.h"
#include "runtime/endings.h"
#include "runtime/messages.h"
#include "runtime/pending.h"
#include "runtime/run_end.h"

// Last: the X headers define macros (None, Bool, Status) that clash with
// the others.
#include <SDL2/SDL_syswm.h>

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
    stopIfAsked();
    if (queue_.empty() || queue_.front() == kCloseEvent) throw ProgramEnd{kEnded};
    int k = queue_.front();
    queue_.pop_front();
    return k;
  }
  void idle() override {}
  void present(cairo_surface_t*, const Rect&) override {}
  void holdUntilClosed(cairo_surface_t*) override {}
};

// How long a wait with no event sleeps before its poll returns empty: as
// often as the lessons look for a key with nothing typed. A stop ends the
// wait at once.
constexpr int kIdleMs = 500;

double threadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

std::function<void(const std::string&)>& lostHandler() {
  static std::function<void(const std::string&)> handler;
  return handler;
}

// `what` says what happened, as the line that ends the run begins.
[[noreturn]] void displayLost(const std::string& what) {
  static bool ending = false;
  if (!ending) {
    ending = true;
    if (lostHandler()) lostHandler()(what);
  }
  // No run to write out: it has not begun, or it has ended and its
  // outputs were handled before its window closed.
  endAsLost(what);
}

// The X window under the run's window, once it is up.
unsigned long runWindow = 0;
constexpr const char* kWindowClosedByOther = "the window was closed by another program";

bool envSet(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

// The display a window run uses, as its messages name it.
std::string displayShown() {
  return envSet("DISPLAY") ? std::string("display ") + std::getenv("DISPLAY") : "the display";
}

std::string noWindowLine(const std::string& why) {
  return "cannot open a window: " + why + "; run with --headless to run without one";
}

[[noreturn]] void noWindow(const std::string& why) {
  say(noWindowLine(why));
  throw ProgramEnd{kCannotStart};
}

// True while the window is being made: from before the video driver
// connects until the window is up and its first events are handled. A
// display that fails then means the run could not start.
bool windowStarting = false;

// The run cannot start, found inside an X call: nothing may unwind through
// the X library, and its handler must not return, so the process ends here.
[[noreturn]] void noWindowNow(const std::string& why) {
  std::fflush(stderr);
  cannotStartNow(noWindowLine(why));
}

// The X library's own handlers print raw lines and end the process with
// status 1 whatever the phase; these say in one line what happened: while
// the window is being made, that it cannot be opened; after, that the
// display was lost. Both are reached only from inside an X call of this
// thread.
int onConnectionBroken(::Display*) {
  if (windowStarting)
    noWindowNow("the connection to " + displayShown() + " broke while the window was being made");
  displayLost("the display was lost (the connection to the display server broke)");
}
// The video driver's own probes that may fail set handlers of their own
// for the time of the probe; a refusal that reaches this one is one the
// X library's handler would have ended the process for.
int onRequestRefused(::Display*, XErrorEvent* e) {
  if (windowStarting)
    noWindowNow(displayShown() + " refused a request while the window was being made, error " +
                std::to_string(e->error_code));
  // A window that another program destroyed is refused to every request
  // that still names it, before its destruction is seen as an event.
  if (e->error_code == BadWindow && runWindow != 0 && e->resourceid == runWindow)
    displayLost(kWindowClosedByOther);
  displayLost("the display was lost (the display server refused a request on the window, error " +
              std::to_string(e->error_code) + ")");
}

// Puts the handlers above in the X library's place and restores the ones
// they replaced when it goes. The X library has one slot for each kind of
// handler, not a stack: whoever replaces a handler restores it, and in the
// reverse order of replacing.
class X11Watch {
 public:
  // Without `load`, only a library already loaded (by the video driver)
  // is watched; with it, the library is loaded now, so that the handlers
  // are in place before the video driver opens its first connection.
  explicit X11Watch(bool load) {
    x11_ = dlopen("libX11.so.6", RTLD_NOW | (load ? 0 : RTLD_NOLOAD));
    if (!x11_) return;
    setIO_ = reinterpret_cast<decltype(setIO_)>(dlsym(x11_, "XSetIOErrorHandler"));
    setError_ = reinterpret_cast<decltype(setError_)>(dlsym(x11_, "XSetErrorHandler"));
    if (setIO_) io_ = setIO_(onConnectionBroken);
    if (setError_) error_ = setError_(onRequestRefused);
  }
  ~X11Watch() {
    if (!x11_) return;
    if (setIO_) setIO_(io_);
    if (setError_) setError_(error_);
    dlclose(x11_);
  }
  X11Watch(const X11Watch&) = delete;
  X11Watch& operator=(const X11Watch&) = delete;

 private:
  void* x11_ = nullptr;
  decltype(&XSetIOErrorHandler) setIO_ = nullptr;
  decltype(&XSetErrorHandler) setError_ = nullptr;
  XIOErrorHandler io_ = nullptr;
  XErrorHandler error_ = nullptr;
};

// Whether the video driver openVideo starts is, or may be, the X one.
bool x11Driver() {
  const char* forced = std::getenv("SDL_VIDEODRIVER");
  return envSet("DISPLAY") && (!forced || !*forced || std::string(forced).find("x11") != std::string::npos);
}

// A stop's bound leaves out what a local X server waits for a CPU. The
// server is found before the window library first waits on it, through a
// connection of the run's own to the socket that the display's number
// names (abstract, then in the file system), closed at once: its peer is
// the server. A display elsewhere, or one that cannot be reached so, is
// waited on in full.
void watchLocalXServer() {
  std::string display = std::getenv("DISPLAY");
  size_t colon = display.rfind(':');
  if (colon == std::string::npos) return;
  std::string host = display.substr(0, colon), number = display.substr(colon + 1);
  number = number.substr(0, number.find('.'));
  if (!(host.empty() || host == "unix") || number.empty() ||
      number.find_first_not_of("0123456789") != std::string::npos)
    return;
  const std::string path = "/tmp/.X11-unix/X" + number;
  for (bool abstract : {true, false}) {
    sockaddr_un at{};
    at.sun_family = AF_UNIX;
    if (path.size() + 2 > sizeof at.sun_path) return;
    std::memcpy(at.sun_path + (abstract ? 1 : 0), path.data(), path.size());
    auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1);
    // Never waits: a server whose queue of connections is full is left out.
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    bool connected = connect(fd, reinterpret_cast<sockaddr*>(&at), size) == 0;
    if (connected) waitsOnDisplayServer(fd);
    close(fd);
    if (connected) return;
  }
}

// Starts the video driver of the display the session names, never an
// invisible stand-in; a driver the user forced is taken as it is.
void openVideo() {
  if (!envSet("SDL_VIDEODRIVER")) {
    std::string drivers;
    if (envSet("DISPLAY")) drivers = "x11";
    if (envSet("WAYLAND_DISPLAY")) drivers += drivers.empty() ? "wayland" : ",wayland";
    if (drivers.empty()) noWindow("no display (neither DISPLAY nor WAYLAND_DISPLAY is set)");
    SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
  }
  // The window's own pixel buffer, sent to the display server as it is: no
  // GL context is made for it.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // The program catches the signals that end a run itself.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (x11Driver()) watchLocalXServer();
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    // The drivers chosen here fail to start only when their display
    // cannot be reached; a driver the user forced may have its own reason.
    noWindow(displayShown() + " cannot be reached" +
             (envSet("SDL_VIDEODRIVER") ? std::string(" (") + SDL_GetError() + ")" : ""));
  }
}

// The maximised window: the page shown 1:1 at its top-left. The window
// keeps a copy of what it shows; a present compares the touched part of
// the page with it and sends only the pixels that differ.
class WindowDisplay : public QueueDisplay {
 public:
  WindowDisplay(std::vector<int> keys, bool sizeGiven, int& width, int& height)
      : QueueDisplay(std::move(keys)) {
    windowStarting = true;
    if (x11Driver()) startWatch_ = std::make_unique<X11Watch>(true);
    openVideo();
    SDL_Rect usable{0, 0, width, height};
    if (!sizeGiven && SDL_GetDisplayUsableBounds(0, &usable) == 0) {
      width = usable.w;
      height = usable.h;
    }
    Uint32 flags = SDL_WINDOW_RESIZABLE | (sizeGiven ? 0 : SDL_WINDOW_MAXIMIZED);
    window_ = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags);
    if (!window_) {
      std::string why = SDL_GetError();
      SDL_Quit();
      noWindow(why);
    }
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window_, &info) && info.subsystem == SDL_SYSWM_X11) {
      xWindow_ = runWindow = info.info.x11.window;
      connection_ = ConnectionNumber(info.info.x11.display);
      // Back on top of the handler the video driver put over the first.
      x11Watch_ = std::make_unique<X11Watch>(false);
      // The window destroyed by another client is seen as its X event.
      SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    }
    SDL_PumpEvents();
    SDL_GetWindowSize(window_, &width, &height);
    SDL_StartTextInput();
    windowStarting = false;
  }
  ~WindowDisplay() override {
    runWindow = 0;
    x11Watch_.reset();
    SDL_DestroyWindow(window_);
    // The video driver puts back the handler it found when it started,
    // the first watch's; so that one goes only after it.
    SDL_Quit();
    startWatch_.reset();
  }

  int poll() override {
    stopIfAsked();
    pump(0);
    if (queue_.empty()) return -1;
    int k = queue_.front();
    queue_.pop_front();
    if (k == kCloseEvent) throw ProgramEnd{kEnded};
    return k;
  }
  void idle() override {
    if (pump(0)) return;
    if (connection_ < 0) {
      // Another display than X: its library's own wait, which sees a stop
      // only at its end.
      pump(kIdleMs);
      return;
    }
    // All the X library had read is handled: what comes next comes on the
    // connection.
    if (waitFor(connection_, POLLIN, kIdleMs, true) != 0) pump(0);
  }
  void present(cairo_surface_t* page, const Rect& touched) override {
    double t0 = threadCpuSeconds();
    page_ = page;
    send(fresh_ ? Rect{0, 0, cairo_image_surface_get_width(page), cairo_image_surface_get_height(page)}
                : touched);
    stats_.cpuSeconds += threadCpuSeconds() - t0;
  }
  void holdUntilClosed(cairo_surface_t* page) override {
    for (;;) {
      stopIfAsked();
      queue_.clear();
      idle();
      for (int k : queue_)
        if (k == kCloseEvent) return;
    }
  }
  void setTitle(const std::string& title) override { SDL_SetWindowTitle(window_, title.c_str()); }
  PresentStats stats() const override { return stats_; }

 private:
  // Sends the pixels of `area` that differ from what the window shows.
  void send(Rect area) {
    if (!page_) return;
    SDL_Surface* shown = SDL_GetWindowSurface(window_);
    if (!shown) return;
    bool fresh = fresh_;
    fresh_ = false;
    area.x1 = std::min({area.x1, shown->w, cairo_image_surface_get_width(page_)});
    area.y1 = std::min({area.y1, shown->h, cairo_image_surface_get_height(page_)});
    if (area.empty()) return;
    if (shown->format->format != SDL_PIXELFORMAT_RGB888) {
      // A display of another depth: the area converted and sent as it is.
      sendConverted(shown, area);
      return;
    }
    if (SDL_MUSTLOCK(shown) && SDL_LockSurface(shown) != 0) return;
    PixelRows now{cairo_image_surface_get_data(page_), cairo_image_surface_get_stride(page_)};
    PixelRows before{static_cast<unsigned char*>(shown->pixels), shown->pitch};
    ChangedPixels changed;
    if (fresh) {
      // Nothing of the page is in the buffer yet: all of it goes.
      changed.rects.push_back(area);
      changed.count = area.area();
    } else {
      changed = findChanges(now, before, area);
    }
    for (const Rect& r : changed.rects) copyRect(now, before, r);
    if (SDL_MUSTLOCK(shown)) SDL_UnlockSurface(shown);
    if (changed.rects.empty()) return;
    rects_.clear();
    for (const Rect& r : changed.rects) {
      rects_.push_back({r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0});
      stats_.pixelsSent += r.area();
    }
    SDL_UpdateWindowSurfaceRects(window_, rects_.data(), static_cast<int>(rects_.size()));
    stats_.pixelsChanged += changed.count;
    ++stats_.presents;
  }

  void sendConverted(SDL_Surface* shown, const Rect& area) {
    SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(
        cairo_image_surface_get_data(page_), cairo_image_surface_get_width(page_),
        cairo_image_surface_get_height(page_), 32, cairo_image_surface_get_stride(page_),
        SDL_PIXELFORMAT_RGB888);
    if (!src) return;
    SDL_Rect r{area.x0, area.y0, area.x1 - area.x0, area.y1 - area.y0};
    SDL_Rect to = r;
    SDL_BlitSurface(src, &r, shown, &to);
    SDL_FreeSurface(src);
    SDL_UpdateWindowSurfaceRects(window_, &r, 1);
    stats_.pixelsSent += area.area();
    stats_.pixelsChanged += area.area();
    ++stats_.presents;
  }

  // The display server lost the window's pixels: send the whole copy again.
  void resendAll() {
    if (!page_ || fresh_) return;
    SDL_UpdateWindowSurface(window_);
    ++stats_.presents;
  }

  // Handles the window's events, waiting up to `ms` for the first;
  // whether there was one.
  bool pump(int ms) {
    SDL_Event ev;
    bool got = ms > 0 ? SDL_WaitEventTimeout(&ev, ms) : SDL_PollEvent(&ev);
    bool any = got;
    while (got) {
      handle(ev);
      got = SDL_PollEvent(&ev);
    }
    return any;
  }

  void handle(const SDL_Event& ev) {
    switch (ev.type) {
      case SDL_QUIT:
        queue_.push_back(kCloseEvent);
        break;
      case SDL_WINDOWEVENT:
        if (ev.window.event == SDL_WINDOWEVENT_CLOSE) {
          queue_.push_back(kCloseEvent);
        } else if (ev.window.event == SDL_WINDOWEVENT_EXPOSED) {
          resendAll();
        } else if (ev.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
          // A new window buffer: all of the page goes into it.
          fresh_ = true;
          if (page_) present(page_, {});
        }
        break;
      case SDL_SYSWMEVENT:
        if (const SDL_SysWMmsg* m = ev.syswm.msg; m && m->subsystem == SDL_SYSWM_X11 &&
                                                  m->msg.x11.event.type == DestroyNotify &&
                                                  m->msg.x11.event.xdestroywindow.window == xWindow_)
          displayLost(kWindowClosedByOther);
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
  unsigned long xWindow_ = 0;  // the X window under it, when the display is X
  int connection_ = -1;        // the X connection's descriptor, when the display is X
  // The handlers from before the video driver started, and the same
  // handlers again over the video driver's own once the window is up.
  std::unique_ptr<X11Watch> startWatch_, x11Watch_;
  cairo_surface_t* page_ = nullptr;
  bool fresh_ = true;  // the window buffer holds nothing of the page yet
  std::vector<SDL_Rect> rects_;
  PresentStats stats_;
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
  say(message);
  if (!headless) SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "", message.c_str(), nullptr);
}

void onDisplayLost(std::function<void(const std::string& what)> handler) {
  lostHandler() = std::move(handler);
}

void pushDisplayKeys(Display& display, const std::vector<int>& keys) {
  static_cast<QueueDisplay&>(display).push(keys);
}

void pushDisplayClose(Display& display) { static_cast<QueueDisplay&>(display).pushClose(); }

}  // namespace rt
