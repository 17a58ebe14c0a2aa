#include "screens/title_spider.h"

#include "engine/render2d.h"
#include "shell/image.h"
#include "toolkit/resets.h"
#include "toolkit/shape.h"

namespace {
constexpr float kDropDepth = 40;
constexpr int kDropTime = 3000;
constexpr int kWaitTime = 3000;
}  // namespace

int TitleSpider::Init() {
    RegisterReset(&TitleSpider::Reset);
    SpiderX = 218;
    SpiderY = 70.0f;
    Phase = 0;
    PhaseTimer = GameMilliSecs() + 1000;
    DropTween = CreateTween(tweenCirc->EaseOut.get(), 0, 0, 0);
    DropTween->Start();
    SpiderAnim = CreateAnim({0, 1, 2, 1}, 100);
    return 0;
}

int TitleSpider::Update() {
    if (!DropTween) return 0;
    DropTween->Update();
    SpiderAnim->Update();
    switch (Phase) {
        case 0:
        case 3:
            if (PhaseTimer < GameMilliSecs()) ++Phase;
            break;
        case 1:
        case 4:
            DropTween = CreateTween(tweenSine->EaseInOut.get(), Phase == 1 ? 0 : kDropDepth,
                                    Phase == 1 ? kDropDepth : 0, kDropTime);
            DropTween->Start();
            ++Phase;
            break;
        case 2:
        case 5:
            if (DropTween->isActive == 0) {
                PhaseTimer = GameMilliSecs() + kWaitTime;
                Phase = Phase == 2 ? 3 : 0;
            }
            break;
        default:
            break;
    }
    return 0;
}

int TitleSpider::RendeR() {
    if (!DropTween) return 0;
    const float v = DropTween->Value();
    SetColor(0, 0, 202);
    Shape::DrawRect(float(SpiderX + 8), SpiderY - 4, 1, v + 6, 1, 1);
    SetColor(255, 255, 255);
    Image::Spider->Render(float(SpiderX), SpiderY + v, SpiderAnim->Value(), 0, 1, 1);
    return 0;
}

void TitleSpider::Reset() {
    state_ = TitleSpiderState{};
}
