#include "support/toolkit_screen.h"

#include <cstdio>
#include <cstdlib>

#include "engine/render2d.h"
#include "engine/stream.h"
#include "shell/embedded_assets.h"
#include "toolkit/atlas.h"
#include "toolkit/bitmap_font.h"

namespace {
constexpr int kWindowW = 1024;
constexpr int kWindowH = 768;
constexpr int kVirtualW = 256;
constexpr int kVirtualH = 192;
constexpr int kHertz = 60;
}  // namespace

RecordedWindow::RecordedWindow() {
    ResetGraphicsState();
    SetGraphicsDriver(&driver);
    // The recording driver takes every mode; a refusal means the drawing layer broke.
    if (!Graphics(kWindowW, kWindowH, 0, kHertz)) {
        std::fprintf(stderr, "the recording driver refused the window: %s\n",
                     GraphicsFailure().c_str());
        std::abort();
    }
    SetVirtualResolution(float(kVirtualW), float(kVirtualH));
    SetViewport(0, 0, kVirtualW, kVirtualH);
    SetBlend(ALPHABLEND);
    driver.Clear();
}

RecordedWindow::~RecordedWindow() {
    EndGraphics();
    SetGraphicsDriver(nullptr);
    ResetGraphicsState();
}

EmbeddedFont::EmbeddedFont() {
    RegisterEmbeddedAssets();
    atlasFile = std::make_unique<AtlasFileClass>();
    atlasFile->LoadFile("", "", 0);
    glyphs = TBitMapFont::CutGlyphs();
    gameFont = std::make_unique<TBitMapFont>(glyphs.get());
}

EmbeddedFont::~EmbeddedFont() {
    gameFont.reset();
    glyphs.reset();
    atlasFile.reset();
    ClearIncbins();
}
