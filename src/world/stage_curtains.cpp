#include "world/stage_curtains.h"

#include "engine/render2d.h"
#include "shell/display.h"
#include "toolkit/shape.h"

TStageCurtins::TStageCurtins() : Height(display ? display->Height() : 192) {}

void TStageCurtins::Begin(float from, float to, int running) {
    Width = CreateTween(tweenLinear.get(), from, to, Speed);
    Width->Start();
    Action = running;
    closed_ = false;
}

bool TStageCurtins::Finished() const {
    return !Width || Width->isActive == 0;
}

void TStageCurtins::Opened() {
    Action = FIN;
    opened_ = true;
}

void TStageCurtins::Update() {
    opened_ = false;
    const float half = float(display->Width() / 2);
    switch (Action) {
        case FIN:
            return;
        case OPEN:
            Begin(half, 0, RUNNING_OPEN);
            break;
        case CLOSE:
            Begin(0, half, RUNNING_CLOSE);
            break;
        case RUNNING_CLOSE:
            closed_ = Finished();
            break;
        case RUNNING_OPEN:
            if (Finished()) Opened();
            break;
        default:
            break;
    }
    if (Action != FIN && Width) Width->Update();
}

void TStageCurtins::ForceClosed() {
    Width = CreateTween(tweenLinear.get(), 0, float(display->Width() / 2), Speed);
    Width->FastForward();
}

void TStageCurtins::Render() {
    if (!Width || Action == FIN) return;
    const float v = Width->Value();
    SetColor(0, 0, 0);
    Shape::DrawRect(0, 0, v, float(Height), 1, 1);
    Shape::DrawRect(float(display->Width()), 0, -v, float(Height), 1, 1);
    SetColor(255, 255, 255);
}
