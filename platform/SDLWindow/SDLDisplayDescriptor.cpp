// Apart from the rest: the window system's headers define macros (Bool, None, Status ...) that
// clash with the platform's names, so nothing is included after them.
// clang-format off
#include "SDLWindow/SDLEventWaiter.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
// clang-format on

int SDLEventWaiter::displayDescriptor(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11)
    return XConnectionNumber(info.info.x11.display);
#else
  (void)window;
#endif
  return -1;
}
