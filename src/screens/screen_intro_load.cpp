#include "screens/screen_intro_load.h"

#include "engine/input.h"
#include "engine/random.h"
#include "engine/render2d.h"
#include "engine/text.h"
#include "screens/screen_names.h"
#include "shell/display.h"
#include "shell/sfx.h"
#include "toolkit/anim.h"
#include "toolkit/bitmap_font.h"
#include "toolkit/shape.h"

namespace {
// Both name lines are padded to the same length so that their centred texts start at one x.
constexpr const char* kWebAddress = "www.kestrune.example";
constexpr const char* kProgrammerLine = "Code\\GFX: Kestrune Crew ";
constexpr const char* kComposerLine = "Music: Kestrune Crew    ";
}  // namespace

std::unique_ptr<TLoadBar> TLoadBar::Add(int baseY) {
    auto bar = std::make_unique<TLoadBar>();
    bar->BaseY = baseY;
    return bar;
}

void TLoadBar::Init() {
    Height = Rand(1, 5);
    Y = Rand(-2, 2);
    EndY = Rand(-1, 0);
}

void TLoadBar::Render() const {
    Shape::DrawRect(0, float(BaseY + Y - Height / 2), float(display->Width() + 1), float(Height), 1,
                    1);
}

int ScreenIntroLoad::Create() {
    for (int baseY = 0; baseY < display->Height() + 16; baseY += 6)
        LoadBars.push_back(TLoadBar::Add(baseY));
    return 0;
}

int ScreenIntroLoad::Start() {
    gameFont->SetStyle(6);
    for (auto& bar : LoadBars) bar->Init();
    InitTimer = GameMilliSecs() + FlickerTime;
    WaitTime = GameMilliSecs() + 6500;
    DarkTime = GameMilliSecs() + 6000;
    FlushKeys();
    FlushJoy(-1);
    SFX::PlayLoading();
    return 0;
}

int ScreenIntroLoad::Finish() {
    SFX::StopLoading();
    FlushKeys();
    FlushJoy(-1);
    SFX::PlayMusic(SFX::MUSIC_TITLE);
    return 0;
}

int ScreenIntroLoad::Update() {
    if (InitTimer < GameMilliSecs()) {
        for (auto& bar : LoadBars) bar->Init();
        InitTimer = GameMilliSecs() + FlickerTime;
    }
    if (GameMilliSecs() > WaitTime) screenManager->Show(SCREEN_TITLE);
    if (KeyHit(27) || KeyHit(32) || KeyHit(13) || JoyHit(0, 0)) {
        FlushKeys();
        FlushJoy(-1);
        screenManager->Show(SCREEN_TITLE);
    }
    return 0;
}

int ScreenIntroLoad::Render() {
    if (GameMilliSecs() >= DarkTime) return 0;
    const int w = display->Width(), h = display->Height();
    SetColor(0, 0, 255);
    Shape::DrawRect(0, 0, float(w + 1), float(h + 1), 1, 1);
    SetColor(202, 202, 0);
    for (const auto& bar : LoadBars) bar->Render();
    SetColor(202, 202, 202);
    Shape::DrawRect(16, 16, float(w - 32), float(h - 32), 1, 1);
    SetColor(0, 0, 0);
    gameFont->Draw("Program: Kestrune", 20, 20, TBitMapFont::ALIGN_LEFT);
    gameFont->Draw("Loading.....", 20, 28, TBitMapFont::ALIGN_LEFT);
    gameFont->Draw("Beta 0.2 (May 2016)", w - 20, h - 24, TBitMapFont::ALIGN_RIGHT);
    gameFont->Draw(Upper(kWebAddress), w / 2, h - 114, TBitMapFont::ALIGN_CENTER);
    gameFont->Draw(Upper(kProgrammerLine), w / 2, h - 96, TBitMapFont::ALIGN_CENTER);
    gameFont->Draw(Upper(kComposerLine), w / 2, h - 86, TBitMapFont::ALIGN_CENTER);
    return 0;
}
