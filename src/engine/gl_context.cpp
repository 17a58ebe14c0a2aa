#include <SDL.h>

#include <algorithm>

#include "engine/gl_batch.h"
#include "engine/gl_textures.h"
#include "engine/sdl_platform.h"
#include "engine/system.h"

class TGLGraphics : public TGraphics {
  public:
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
};

namespace {
void SetSwapInterval(TGLState& d, int interval) {
    if (interval == d.swapInterval) return;
    d.swapInterval = interval;
    d.vsyncAccepted = SDL_GL_SetSwapInterval(interval) == 0 && interval == 1;
}
}  // namespace

TGLRender2DDriver::TGLRender2DDriver() : impl_(std::make_unique<TGLState>()) {}

// The display is closed by End's exit hook. Nothing here may talk to SDL or the X server: this runs
// during process exit, possibly because the X connection just died (Xlib exits from its I/O error
// handler), and waiting on a dead connection would hang the exit for ever.
TGLRender2DDriver::~TGLRender2DDriver() = default;

std::vector<TGraphicsMode> TGLRender2DDriver::GraphicsModes() {
    std::vector<TGraphicsMode> modes;
    if (!PlatformInitVideo(&impl_->failure)) return modes;
    int n = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < n; ++i) {
        SDL_DisplayMode m;
        if (SDL_GetDisplayMode(0, i, &m) == 0)
            modes.push_back({m.w, m.h, int(SDL_BITSPERPIXEL(m.format)), m.refresh_rate});
    }
    return modes;
}

namespace {
void AskForOpenGL33() {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
}

// A window (depth 0) or a full-screen display; null when the platform refuses.
SDL_Window* OpenWindow(int width, int height, int depth, int hertz, int desktopW, int desktopH) {
    // A window follows the desktop: the user may drag its size, maximise it or make it full
    // screen through the window manager, and the picture is fitted again each time.
    Uint32 windowFlags = SDL_WINDOW_OPENGL | (depth == 0 ? SDL_WINDOW_RESIZABLE : 0);
    // Full screen at the desktop's own size needs no mode change: a desktop-sized window.
    const bool desktopSized = width == desktopW && height == desktopH;
    if (depth != 0)
        windowFlags |= desktopSized ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_FULLSCREEN;
    SDL_Window* window = SDL_CreateWindow(AppTitle().c_str(), SDL_WINDOWPOS_CENTERED,
                                          SDL_WINDOWPOS_CENTERED, width, height, windowFlags);
    if (!window) return nullptr;
    if (depth != 0 && !desktopSized) {
        SDL_DisplayMode want{SDL_PIXELFORMAT_RGB888, width, height, hertz, nullptr};
        SDL_DisplayMode closest;
        if (SDL_GetClosestDisplayMode(0, &want, &closest))
            SDL_SetWindowDisplayMode(window, &closest);
    }
    if (depth == 0) SDL_SetWindowMinimumSize(window, std::min(width, 256), std::min(height, 192));
    return window;
}

// Why no OpenGL 3.3 context could be made on `window`, for the player: the version the driver
// does offer when it offers an older one.
std::string WhyNoOpenGL33(SDL_Window* window, const std::string& sdlError) {
    SDL_GL_ResetAttributes();
    std::string offered;
    if (SDL_GLContext older = SDL_GL_CreateContext(window)) {
        if (const auto* v = reinterpret_cast<const char*>(glGetString(GL_VERSION))) offered = v;
        SDL_GL_MakeCurrent(window, nullptr);
        SDL_GL_DeleteContext(older);
    }
    AskForOpenGL33();
    if (!offered.empty())
        return "the graphics driver offers only OpenGL " + offered + ", and the game needs 3.3";
    return "no OpenGL 3.3 driver could be started (" + sdlError + ")";
}
}  // namespace

std::unique_ptr<TGraphics> TGLRender2DDriver::CreateGraphics(int width, int height, int depth,
                                                             int hertz, int flags) {
    TGLState& d = *impl_;
    d.failure.clear();
    if (!PlatformInitVideo(&d.failure)) return nullptr;
    AskForOpenGL33();
    int desktopW = 0, desktopH = 0;
    DesktopSize(desktopW, desktopH);
    // A missing or broken OpenGL driver makes the X server refuse GLX requests, which would end
    // the program with Xlib's own message: the refusals are caught and told as a cause.
    PlatformCatchXErrors(true);
    SDL_Window* window = OpenWindow(width, height, depth, hertz, desktopW, desktopH);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    const std::string sdlError = SDL_GetError();
    const std::string xError = PlatformCatchXErrors(false);
    if (!context) {
        if (!window)
            d.failure = "the window could not be opened (" + sdlError + ")";
        else if (!xError.empty())
            d.failure =
                "no working OpenGL driver was found (the display refused it: " + xError + ")";
        else
            d.failure = WhyNoOpenGL33(window, sdlError);
        if (window) SDL_DestroyWindow(window);
        return nullptr;
    }
    auto graphics = std::make_unique<TGLGraphics>();
    graphics->window = window;
    graphics->context = context;
    int dw = width, dh = height;
    SDL_GL_GetDrawableSize(window, &dw, &dh);
    graphics->width = dw;
    graphics->height = dh;
    graphics->depth = depth;
    graphics->hertz = hertz;
    graphics->flags = flags;
    return graphics;
}

void TGLRender2DDriver::SetGraphics(TGraphics* graphics) {
    TGLState& d = *impl_;
    if (d.current) {
        d.Flush();
        d.DestroyObjects();
        PlatformStopPolling();
        SDL_GL_MakeCurrent(d.current->window, nullptr);
        SDL_GL_DeleteContext(d.current->context);
        SDL_DestroyWindow(d.current->window);
        d.current->window = nullptr;
        d.current->context = nullptr;
        d.current = nullptr;
        LiveTextureGeneration() = 0;
        d.generation = 0;
    }
    auto* gl = dynamic_cast<TGLGraphics*>(graphics);
    if (!gl || !gl->window) return;
    d.current = gl;
    SDL_GL_MakeCurrent(gl->window, gl->context);
    d.generation = NewGraphicsGeneration();
    LiveTextureGeneration() = d.generation;
    d.drawableW = gl->width;
    d.drawableH = gl->height;
    d.swapInterval = -2;
    d.CreateObjects();
    glViewport(0, 0, d.drawableW, d.drawableH);
    d.resW = float(d.drawableW);
    d.resH = float(d.drawableH);
    d.SetResolutionUniforms();
    d.vpX = d.vpY = 0;
    d.vpW = d.drawableW;
    d.vpH = d.drawableH;
    d.ApplyScissor();
    d.ApplyBlend();
    PlatformStartPolling(gl->window);
}

void TGLRender2DDriver::Resized(int width, int height) {
    TGLState& d = *impl_;
    if (!d.Live()) return;
    d.Flush();
    d.drawableW = width;
    d.drawableH = height;
    glViewport(0, 0, width, height);
    d.ApplyScissor();
}

void TGLRender2DDriver::Flip(int sync) {
    TGLState& d = *impl_;
    if (!d.Live()) return;
    d.Flush();
    SetSwapInterval(d, sync > 0 ? 1 : 0);
    SDL_GL_SwapWindow(d.current->window);
    d.lastFrameCalls = d.frameCalls;
    d.frameCalls = 0;
}

int TGLRender2DDriver::Generation() const {
    return impl_->generation;
}

void TGLRender2DDriver::DesktopSize(int& width, int& height) {
    width = height = 0;
    if (!PlatformInitVideo(&impl_->failure)) return;
    SDL_DisplayMode m;
    if (SDL_GetDesktopDisplayMode(0, &m) == 0) {
        width = m.w;
        height = m.h;
    }
}

void TGLRender2DDriver::UsableDesktopSize(int& width, int& height) {
    width = height = 0;
    if (!PlatformInitVideo(&impl_->failure)) return;
    SDL_Rect r;
    if (SDL_GetDisplayUsableBounds(0, &r) == 0) {
        width = r.w;
        height = r.h;
    } else {
        DesktopSize(width, height);
    }
}

std::string TGLRender2DDriver::Failure() const {
    return impl_->failure;
}

bool TGLRender2DDriver::VSyncAccepted() const {
    return impl_->vsyncAccepted;
}

TGLRender2DDriver& GLMax2DDriver() {
    static TGLRender2DDriver driver;
    return driver;
}
