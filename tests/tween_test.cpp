#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "support/manual_clock.h"
#include "toolkit/anim.h"
#include "toolkit/tween.h"

namespace {

constexpr double PI = 3.14159265358979323846;

// Reference shapes on normalised time, written independently of the game's curves.
double BounceRef(double u) {
    const double k = 7.5625;
    if (u < 1 / 2.75) return k * u * u;
    if (u < 2 / 2.75) return k * std::pow(u - 1.5 / 2.75, 2) + 0.75;
    if (u < 2.5 / 2.75) return k * std::pow(u - 2.25 / 2.75, 2) + 0.9375;
    return k * std::pow(u - 2.625 / 2.75, 2) + 0.984375;
}
double BackInRef(double u, double s) {
    return u * u * ((s + 1) * u - s);
}
double BackOutRef(double u, double s) {
    return 1 + std::pow(u - 1, 2) * ((s + 1) * (u - 1) + s);
}
// Mirror an ease-in into the ease-in-out of the same family.
double InOutOf(const std::function<double(double)>& in, double u) {
    return u < 0.5 ? in(2 * u) / 2 : 1 - in(2 - 2 * u) / 2;
}
double PolyIn(double u, int k) {
    return std::pow(u, k);
}
double PolyOut(double u, int k) {
    return 1 - std::pow(1 - u, k);
}
double ElasticWave(double n, double period) {
    return std::sin((n - period / 4) * 2 * PI / period);
}

struct Curve {
    std::string name;
    TweenEquationCall* call;
    std::function<double(double)> shape;
};

std::vector<Curve> AllCurves() {
    const double s = 1.70158, s2 = s * 1.525;
    return {
        {"Linear", tweenLinear.get(), [](double u) { return u; }},
        {"SineIn", tweenSine->EaseIn.get(), [](double u) { return 1 - std::cos(u * PI / 2); }},
        {"SineOut", tweenSine->EaseOut.get(), [](double u) { return std::sin(u * PI / 2); }},
        {"SineInOut", tweenSine->EaseInOut.get(),
         [](double u) { return (1 - std::cos(PI * u)) / 2; }},
        {"QuadIn", tweenQuad->EaseIn.get(), [](double u) { return PolyIn(u, 2); }},
        {"QuadOut", tweenQuad->EaseOut.get(), [](double u) { return PolyOut(u, 2); }},
        {"QuadInOut", tweenQuad->EaseInOut.get(),
         [](double u) { return InOutOf([](double v) { return PolyIn(v, 2); }, u); }},
        {"CubicIn", tweenCubic->EaseIn.get(), [](double u) { return PolyIn(u, 3); }},
        {"CubicOut", tweenCubic->EaseOut.get(), [](double u) { return PolyOut(u, 3); }},
        {"CubicInOut", tweenCubic->EaseInOut.get(),
         [](double u) { return InOutOf([](double v) { return PolyIn(v, 3); }, u); }},
        {"QuartIn", tweenQuart->EaseIn.get(), [](double u) { return PolyIn(u, 4); }},
        {"QuartOut", tweenQuart->EaseOut.get(), [](double u) { return PolyOut(u, 4); }},
        {"QuartInOut", tweenQuart->EaseInOut.get(),
         [](double u) { return InOutOf([](double v) { return PolyIn(v, 4); }, u); }},
        {"QuintIn", tweenQuint->EaseIn.get(), [](double u) { return PolyIn(u, 5); }},
        {"QuintOut", tweenQuint->EaseOut.get(), [](double u) { return PolyOut(u, 5); }},
        {"QuintInOut", tweenQuint->EaseInOut.get(),
         [](double u) { return InOutOf([](double v) { return PolyIn(v, 5); }, u); }},
        {"ExpoIn", tweenExpo->EaseIn.get(),
         [](double u) { return u == 0 ? 0 : std::pow(2, 10 * (u - 1)); }},
        {"ExpoOut", tweenExpo->EaseOut.get(),
         [](double u) { return u == 1 ? 1 : 1 - std::pow(2, -10 * u); }},
        {"ExpoInOut", tweenExpo->EaseInOut.get(),
         [](double u) {
             if (u == 0 || u == 1) return u;
             return InOutOf([](double v) { return std::pow(2, 10 * (v - 1)); }, u);
         }},
        {"CircIn", tweenCirc->EaseIn.get(), [](double u) { return 1 - std::sqrt(1 - u * u); }},
        {"CircOut", tweenCirc->EaseOut.get(),
         [](double u) { return std::sqrt(1 - (u - 1) * (u - 1)); }},
        {"CircInOut", tweenCirc->EaseInOut.get(),
         [](double u) { return InOutOf([](double v) { return 1 - std::sqrt(1 - v * v); }, u); }},
        {"BackIn", tweenBack->EaseIn.get(), [=](double u) { return BackInRef(u, s); }},
        {"BackOut", tweenBack->EaseOut.get(), [=](double u) { return BackOutRef(u, s); }},
        {"BackInOut", tweenBack->EaseInOut.get(),
         [=](double u) {
             return u < 0.5 ? BackInRef(2 * u, s2) / 2 : (1 + BackOutRef(2 * u - 1, s2)) / 2;
         }},
        {"BounceIn", tweenBounce->EaseIn.get(), [](double u) { return 1 - BounceRef(1 - u); }},
        {"BounceOut", tweenBounce->EaseOut.get(), BounceRef},
        {"BounceInOut", tweenBounce->EaseInOut.get(),
         [](double u) {
             return u < 0.5 ? (1 - BounceRef(1 - 2 * u)) / 2 : (1 + BounceRef(2 * u - 1)) / 2;
         }},
        {"ElasticIn", tweenElastic->EaseIn.get(),
         [](double u) {
             if (u == 0 || u == 1) return u;
             return -std::pow(2, 10 * (u - 1)) * ElasticWave(u - 1, 0.3);
         }},
        {"ElasticOut", tweenElastic->EaseOut.get(),
         [](double u) {
             if (u == 0 || u == 1) return u;
             return std::pow(2, -10 * u) * ElasticWave(u, 0.3) + 1;
         }},
        {"ElasticInOut", tweenElastic->EaseInOut.get(),
         [](double u) {
             if (u == 0 || u == 1) return u;
             const double n = 2 * u - 1;
             if (n < 0) return -0.5 * std::pow(2, 10 * n) * ElasticWave(n, 0.45);
             return 0.5 * std::pow(2, -10 * n) * ElasticWave(n, 0.45) + 1;
         }},
    };
}

class Easing : public ::testing::Test {
  protected:
    void SetUp() override { ResetTweens(); }
    void TearDown() override { ResetTweens(); }
};

TEST_F(Easing, SharedInstancesExistOnceWithTheirFamilysCurves) {
    TweenEquationCall* sineIn = tweenSine->EaseIn.get();
    TweenEquation* back = tweenBack.get();
    InitTweenEquations();
    EXPECT_EQ(tweenSine->EaseIn.get(), sineIn);
    EXPECT_EQ(tweenBack.get(), back);

    const std::vector<Curve> curves = AllCurves();
    ASSERT_EQ(curves.size(), 31u);
    for (const Curve& c : curves) EXPECT_NE(c.call, nullptr) << c.name;
    EXPECT_NE(dynamic_cast<TweenEquationCallQuadEaseOut*>(tweenQuad->EaseOut.get()), nullptr);
    EXPECT_NE(dynamic_cast<TweenEquationCallCircEaseOut*>(tweenCirc->EaseOut.get()), nullptr);
    EXPECT_NE(dynamic_cast<TweenEquationCallBackEaseInOut*>(tweenBack->EaseInOut.get()), nullptr);
    EXPECT_NE(dynamic_cast<TweenEquationCallElasticEaseIn*>(tweenElastic->EaseIn.get()), nullptr);
}

TEST_F(Easing, EveryCurveStartsAtBEndsAtBPlusCAndFollowsItsShape) {
    const float b = 10, c = -20, d = 400;
    for (const Curve& curve : AllCurves()) {
        SCOPED_TRACE(curve.name);
        EXPECT_FLOAT_EQ(curve.call->Call(0, b, c, d), b);
        EXPECT_FLOAT_EQ(curve.call->Call(d, b, c, d), b + c);
        for (float t : {4.f, 40.f, 100.f, 150.f, 199.f, 200.f, 201.f, 240.f, 300.f, 360.f, 396.f}) {
            const double want = b + c * curve.shape(t / d);
            EXPECT_NEAR(curve.call->Call(t, b, c, d), want, 1e-4) << "t = " << t;
        }
    }
}

TEST_F(Easing, LinearAndQuadHitHandValues) {
    EXPECT_FLOAT_EQ(tweenLinear->Call(250, 0, 100, 1000), 25);
    EXPECT_FLOAT_EQ(tweenQuad->EaseIn->Call(1, 0, 1, 4), 0.0625f);
    EXPECT_FLOAT_EQ(tweenQuad->EaseOut->Call(1, 0, 1, 4), 0.4375f);
    EXPECT_FLOAT_EQ(tweenQuad->EaseInOut->Call(3, 0, 1, 4), 0.875f);
    EXPECT_FLOAT_EQ(tweenCubic->EaseInOut->Call(1, 0, 1, 4), 0.0625f);
}

TEST_F(Easing, BackOvershootsBothWaysAndSettlesExactly) {
    TweenEquationCall* out = tweenBack->EaseOut.get();
    EXPECT_NEAR(out->Call(0.6f, 0, 1, 1), 1.09935, 1e-4);
    float peak = 0;
    for (int t = 0; t <= 100; ++t) peak = std::max(peak, out->Call(float(t), 0, 1, 100));
    EXPECT_GT(peak, 1.09f);
    EXPECT_LT(peak, 1.11f);
    EXPECT_EQ(out->Call(100, 0, 1, 100), 1.0f);
    EXPECT_NEAR(tweenBack->EaseIn->Call(0.3f, 0, 1, 1), -0.0802, 1e-4);
    EXPECT_LT(tweenBack->EaseInOut->Call(0.1f, 0, 1, 1), 0);
    EXPECT_GT(tweenBack->EaseInOut->Call(0.9f, 0, 1, 1), 1);
}

TEST_F(Easing, BackInOutDerivesS2FromSOnEveryCall) {
    auto* inOut = dynamic_cast<TweenEquationCallBackEaseInOut*>(tweenBack->EaseInOut.get());
    ASSERT_NE(inOut, nullptr);
    EXPECT_FLOAT_EQ(inOut->s, 1.70158f);
    EXPECT_EQ(inOut->s2, 0);
    const float first = inOut->Call(0.2f, 0, 1, 1);
    EXPECT_FLOAT_EQ(inOut->s2, 1.70158f * 1.525f);
    EXPECT_EQ(inOut->Call(0.2f, 0, 1, 1), first);  // not compounded
    inOut->s = 0;
    EXPECT_FLOAT_EQ(inOut->Call(0.25f, 0, 1, 1), 0.0625f);  // plain cubic without overshoot
    ResetTweenEquations();
    EXPECT_FLOAT_EQ(inOut->s, 1.70158f);
}

TEST_F(Easing, BounceOutCoversItsFourArcsAndLandsExactly) {
    TweenEquationCall* out = tweenBounce->EaseOut.get();
    EXPECT_FLOAT_EQ(out->Call(25, 0, 1, 100), 0.47265625f);
    EXPECT_FLOAT_EQ(out->Call(50, 0, 1, 100), 0.765625f);
    EXPECT_FLOAT_EQ(out->Call(80, 0, 1, 100), 0.94f);
    EXPECT_FLOAT_EQ(out->Call(95, 0, 1, 100), 0.98453125f);
    EXPECT_EQ(out->Call(100, 0, 1, 100), 1.0f);
    EXPECT_EQ(out->Call(100, 5, 3, 100), 8.0f);
    EXPECT_EQ(tweenBounce->EaseIn->Call(0, 5, 3, 100), 5.0f);
    EXPECT_FLOAT_EQ(tweenBounce->EaseInOut->Call(50, 5, 3, 100), 6.5f);
}

TEST_F(Easing, ElasticPinsItsEndsAndRecomputesItsParameters) {
    for (TweenEquationCall* curve :
         {tweenElastic->EaseIn.get(), tweenElastic->EaseOut.get(), tweenElastic->EaseInOut.get()}) {
        EXPECT_EQ(curve->Call(0, 3, 7, 250), 3.0f);
        EXPECT_EQ(curve->Call(250, 3, 7, 250), 10.0f);
    }
    auto* in = dynamic_cast<TweenEquationCallElasticEaseIn*>(tweenElastic->EaseIn.get());
    ASSERT_NE(in, nullptr);
    in->p = 99, in->a = 99, in->s = 99;
    const float v = in->Call(100, 0, 5, 200);
    EXPECT_FLOAT_EQ(in->a, 5);
    EXPECT_FLOAT_EQ(in->p, 60);
    EXPECT_FLOAT_EQ(in->s, 15);
    EXPECT_NEAR(v, -5 * std::pow(2, -5) * ElasticWave(-0.5, 0.3), 1e-5);

    auto* inOut = dynamic_cast<TweenEquationCallElasticEaseInOut*>(tweenElastic->EaseInOut.get());
    ASSERT_NE(inOut, nullptr);
    inOut->Call(100, 0, 5, 200);
    EXPECT_FLOAT_EQ(inOut->p, 90);
    EXPECT_FLOAT_EQ(inOut->s, 22.5f);
}

TEST_F(Easing, ExpoSpecialCasesAreExactAndTheRestIsPowersOfTwo) {
    TweenEquationCall* in = tweenExpo->EaseIn.get();
    TweenEquationCall* out = tweenExpo->EaseOut.get();
    TweenEquationCall* inOut = tweenExpo->EaseInOut.get();
    EXPECT_EQ(in->Call(0, 4, 8, 100), 4.0f);  // the plain formula would give 4 + 8/1024
    EXPECT_EQ(out->Call(100, 4, 8, 100), 12.0f);
    EXPECT_EQ(inOut->Call(0, 4, 8, 100), 4.0f);
    EXPECT_EQ(inOut->Call(100, 4, 8, 100), 12.0f);
    EXPECT_FLOAT_EQ(in->Call(50, 0, 1, 100), 0.03125f);
    EXPECT_FLOAT_EQ(out->Call(50, 0, 1, 100), 0.96875f);
    EXPECT_FLOAT_EQ(inOut->Call(25, 0, 1, 100), 0.015625f);
    EXPECT_FLOAT_EQ(inOut->Call(75, 0, 1, 100), 0.984375f);
    EXPECT_FLOAT_EQ(in->Pow(2, 10), 1024);
    EXPECT_FLOAT_EQ(in->Pow(2, -1), 0.5f);
}

// A curve that shows whether a value came from it: it sits a quarter above the straight line.
class ProbeCurve : public TweenEquationCall {
  public:
    static constexpr float LIFT = 0.25f;
    float Call(float t, float b, float c, float d) override {
        ++calls;
        lastT = t, lastB = b, lastC = c, lastD = d;
        return b + c * t / d + LIFT;
    }
    int calls = 0;
    float lastT = 0, lastB = 0, lastC = 0, lastD = 0;
};

class TweenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetTweens();
        InitGameClock();
    }
    void TearDown() override { ResetTweens(); }
    // Moves the game clock to `ms` and samples it, as the frame loop does.
    void At(int ms) {
        clock.Set(1000 + ms);
        UpdateTweenTime();
    }
    void Tick(Tween& tween, int ms) {
        At(ms);
        tween.Update();
    }
    std::unique_ptr<Tween> Started(TweenEquationCall* eq, float start, float end, int ms,
                                   int at = 5000) {
        auto tween = CreateTween(eq, start, end, ms);
        At(at);
        tween->Start();
        return tween;
    }
    ManualClock clock;
};

TEST_F(TweenTest, ClockFollowsGameMilliSecs) {
    At(5000);
    EXPECT_EQ(tweenTime, 5000);
    clock.Advance(16);
    EXPECT_EQ(tweenTime, 5000);  // sampled once per tick, not live
    UpdateTweenTime();
    EXPECT_EQ(tweenTime, 5016);
}

TEST_F(TweenTest, CreatedTweenWaitsForStart) {
    auto tween = CreateTween(tweenLinear.get(), 10, 4, 1000);
    EXPECT_EQ(tween->equation, tweenLinear.get());
    EXPECT_FLOAT_EQ(tween->startt, 10);
    EXPECT_FLOAT_EQ(tween->change, -6);
    EXPECT_EQ(tween->duration, 1000);
    EXPECT_EQ(tween->isActive, 0);
    Tick(*tween, 500);
    EXPECT_EQ(tween->Value(), 0);
    tween->Start();
    EXPECT_EQ(tween->isActive, 1);
    EXPECT_FLOAT_EQ(tween->Value(), 10);
}

TEST_F(TweenTest, LinearRunsToItsEndAndStopsOnTheTickAfter) {
    auto tween = Started(tweenLinear.get(), 0, 100, 1000);
    EXPECT_EQ(tween->timeStart, 5000);
    Tick(*tween, 5250);
    EXPECT_FLOAT_EQ(tween->Value(), 25);
    EXPECT_EQ(tween->timeCurrent, 250);
    Tick(*tween, 5266);
    EXPECT_EQ(tween->timePrevious, 250);
    Tick(*tween, 6000);
    EXPECT_FLOAT_EQ(tween->Value(), 100);
    EXPECT_EQ(tween->isActive, 1);
    Tick(*tween, 6016);
    EXPECT_EQ(tween->Value(), 100.0f);
    EXPECT_EQ(tween->isActive, 0);
    EXPECT_EQ(tween->timeCurrent, 1000);
    EXPECT_EQ(tween->loopCount, 0);
    Tick(*tween, 7000);
    EXPECT_EQ(tween->Value(), 100.0f);
}

TEST_F(TweenTest, AtTheDurationTheCurveSpeaksThenTheExactEndValue) {
    ProbeCurve probe;
    auto tween = Started(&probe, 2, 6, 100);
    Tick(*tween, 5040);
    EXPECT_FLOAT_EQ(probe.lastT, 40);
    EXPECT_FLOAT_EQ(probe.lastB, 2);
    EXPECT_FLOAT_EQ(probe.lastC, 4);
    EXPECT_FLOAT_EQ(probe.lastD, 100);
    Tick(*tween, 5100);
    EXPECT_FLOAT_EQ(tween->Value(), 6 + ProbeCurve::LIFT);
    Tick(*tween, 5101);
    EXPECT_EQ(tween->Value(), 6.0f);
    EXPECT_EQ(tween->isActive, 0);
}

TEST_F(TweenTest, YoYoRunsThereAndBackOnceAndStopsAtTheStart) {
    auto tween = CreateTween(tweenLinear.get(), 0, 100, 1000);
    tween->SetYoYo(1);
    At(5000);
    tween->Start();
    Tick(*tween, 6000);
    EXPECT_FLOAT_EQ(tween->Value(), 100);
    Tick(*tween, 6016);
    EXPECT_EQ(tween->Value(), 100.0f);
    EXPECT_EQ(tween->loopCount, 1);
    EXPECT_EQ(tween->isActive, 1);
    EXPECT_FLOAT_EQ(tween->startt, 100);
    EXPECT_FLOAT_EQ(tween->change, -100);
    EXPECT_EQ(tween->timeStart, 6016);
    Tick(*tween, 6516);
    EXPECT_FLOAT_EQ(tween->Value(), 50);
    Tick(*tween, 7016);
    EXPECT_EQ(tween->isActive, 1);
    Tick(*tween, 7032);
    EXPECT_EQ(tween->Value(), 0.0f);
    EXPECT_EQ(tween->isActive, 0);
    EXPECT_EQ(tween->loopCount, 2);
}

TEST_F(TweenTest, YoYoWithLoopingSwingsForEver) {
    ProbeCurve probe;
    auto tween = CreateTween(&probe, 0, 10, 100);
    tween->SetYoYo(1);
    tween->SetLooping(1);
    At(0);
    tween->Start();
    int now = 0;
    for (int lap = 1; lap <= 6; ++lap) {
        now += 101;  // every tick passes an end
        Tick(*tween, now);
        EXPECT_EQ(tween->loopCount, lap);
        EXPECT_EQ(tween->isActive, 1);
        EXPECT_EQ(tween->Value(), lap % 2 ? 10.0f : 0.0f);  // exact ends, not the probe's lift
    }
    Tick(*tween, now + 50);
    EXPECT_FLOAT_EQ(tween->Value(), 5 + ProbeCurve::LIFT);
}

TEST_F(TweenTest, LoopingKeepsTheLastValueOnTheWrapTickThenStartsOver) {
    auto tween = CreateTween(tweenLinear.get(), 0, 100, 1000);
    tween->SetLooping(1);
    At(5000);
    tween->Start();
    Tick(*tween, 5984);
    EXPECT_FLOAT_EQ(tween->Value(), 98.4f);
    Tick(*tween, 6000);
    Tick(*tween, 6016);
    EXPECT_FLOAT_EQ(tween->Value(), 100);
    EXPECT_EQ(tween->loopCount, 1);
    EXPECT_EQ(tween->timeStart, 6016);
    EXPECT_EQ(tween->timeCurrent, 0);
    EXPECT_EQ(tween->isActive, 1);
    Tick(*tween, 6032);
    EXPECT_FLOAT_EQ(tween->Value(), 1.6f);
    Tick(*tween, 7016);
    Tick(*tween, 7017);
    EXPECT_EQ(tween->loopCount, 2);
    EXPECT_FLOAT_EQ(tween->Value(), 100);
    EXPECT_FLOAT_EQ(tween->startt, 0);
}

TEST_F(TweenTest, StopAndResumeSkipThePausedTime) {
    auto tween = Started(tweenLinear.get(), 0, 100, 1000);
    Tick(*tween, 5300);
    tween->Stop();
    EXPECT_EQ(tween->isActive, 0);
    EXPECT_EQ(tween->timePaused, 5300);
    Tick(*tween, 7000);
    tween->Stop();  // already stopped: the pause still began at 5300
    EXPECT_EQ(tween->timePaused, 5300);
    EXPECT_FLOAT_EQ(tween->Value(), 30);
    At(9300);
    tween->Resume();
    EXPECT_EQ(tween->isActive, 1);
    EXPECT_EQ(tween->timeStart, 9000);
    EXPECT_EQ(tween->timePaused, 0);
    tween->Update();
    EXPECT_FLOAT_EQ(tween->Value(), 30);
    Tick(*tween, 9316);
    EXPECT_FLOAT_EQ(tween->Value(), 31.6f);
    tween->Resume();  // running: nothing changes
    EXPECT_EQ(tween->timeStart, 9000);
    Tick(*tween, 10001);
    EXPECT_EQ(tween->isActive, 0);
    EXPECT_EQ(tween->Value(), 100.0f);
}

TEST_F(TweenTest, ResumeLeavesTheValueForTheNextUpdate) {
    auto tween = Started(tweenLinear.get(), 0, 100, 1000);
    Tick(*tween, 5500);
    tween->Stop();
    tween->SetValue(200, 300);
    At(6000);
    tween->Resume();
    EXPECT_FLOAT_EQ(tween->Value(), 50);
    tween->Update();
    EXPECT_FLOAT_EQ(tween->Value(), 250);
}

TEST_F(TweenTest, RewindAndFastForward) {
    ProbeCurve probe;
    auto tween = Started(&probe, 0, 100, 1000);
    Tick(*tween, 5500);
    At(5600);
    tween->Rewind();
    EXPECT_EQ(tween->isActive, 1);
    EXPECT_FLOAT_EQ(tween->Value(), ProbeCurve::LIFT);
    Tick(*tween, 5700);
    EXPECT_FLOAT_EQ(tween->Value(), 10 + ProbeCurve::LIFT);

    tween->FastForward();
    EXPECT_EQ(tween->isActive, 0);
    EXPECT_EQ(tween->timeCurrent, 1000);
    EXPECT_FLOAT_EQ(tween->Value(), 100 + ProbeCurve::LIFT);  // the curve's end, not exact
    tween->Rewind();
    EXPECT_EQ(tween->isActive, 0);
    EXPECT_FLOAT_EQ(tween->Value(), ProbeCurve::LIFT);
}

TEST_F(TweenTest, ContinueToOnARunningTweenRestartsFromWhereItStands) {
    auto tween = Started(tweenLinear.get(), 0, 100, 1000);
    Tick(*tween, 5500);
    tween->ContinueTo(0, 2000);
    EXPECT_FLOAT_EQ(tween->startt, 50);
    EXPECT_FLOAT_EQ(tween->change, -50);
    EXPECT_EQ(tween->duration, 2000);
    EXPECT_EQ(tween->timeStart, 5500);
    EXPECT_EQ(tween->isActive, 1);
    Tick(*tween, 6500);
    EXPECT_FLOAT_EQ(tween->Value(), 25);
}

TEST_F(TweenTest, ContinueToWithZeroOnARunningTweenStopsAndKeepsTheDuration) {
    auto tween = Started(tweenLinear.get(), 0, 100, 1000);
    Tick(*tween, 5400);
    tween->ContinueTo(80, 0);
    EXPECT_EQ(tween->isActive, 0);
    EXPECT_FLOAT_EQ(tween->startt, 40);
    EXPECT_FLOAT_EQ(tween->change, 40);
    EXPECT_EQ(tween->duration, 1000);
    At(8000);
    tween->Resume();
    Tick(*tween, 8500);
    EXPECT_FLOAT_EQ(tween->Value(), 60);
}

TEST_F(TweenTest, YoYoOnAStoppedTweenPlaysItBackInTheOldDuration) {
    auto tween = Started(tweenLinear.get(), 0, 100, 1000);
    Tick(*tween, 6001);
    ASSERT_EQ(tween->isActive, 0);
    tween->YoYo();
    EXPECT_EQ(tween->isActive, 1);
    EXPECT_EQ(tween->duration, 1000);
    EXPECT_FLOAT_EQ(tween->Value(), 100);
    Tick(*tween, 6251);
    EXPECT_FLOAT_EQ(tween->Value(), 75);

    tween->Stop();
    tween->ContinueTo(200, 500);  // stopped, with a new duration
    EXPECT_EQ(tween->duration, 500);
    EXPECT_EQ(tween->loopCount, 0);
    Tick(*tween, 6501);
    EXPECT_FLOAT_EQ(tween->Value(), 137.5f);
}

TEST_F(TweenTest, ZeroDurationNeverYieldsNaN) {
    // The title spider starts with a tween from 0 to 0 lasting 0 ms.
    auto spider = Started(tweenCirc->EaseOut.get(), 0, 0, 0);
    spider->Update();
    EXPECT_EQ(spider->Value(), 0.0f);
    EXPECT_EQ(spider->isActive, 1);
    Tick(*spider, 5016);
    EXPECT_EQ(spider->Value(), 0.0f);
    EXPECT_EQ(spider->isActive, 0);

    for (const Curve& curve : AllCurves()) {
        SCOPED_TRACE(curve.name);
        auto tween = Started(curve.call, 3, 9, 0);
        EXPECT_EQ(tween->Value(), 9.0f);
        tween->Update();
        EXPECT_EQ(tween->Value(), 9.0f);
        tween->FastForward();
        EXPECT_EQ(tween->Value(), 9.0f);
    }
}

TEST_F(TweenTest, ZeroDurationLoopsAndYoYosStaySane) {
    auto loop = Started(tweenSine->EaseIn.get(), 1, 2, 0);
    loop->SetLooping(1);
    for (int t = 5001; t < 5005; ++t) Tick(*loop, t);
    EXPECT_EQ(loop->isActive, 1);
    EXPECT_EQ(loop->loopCount, 4);
    EXPECT_FALSE(std::isnan(loop->Value()));

    auto yoyo = Started(tweenSine->EaseIn.get(), 1, 2, 0);
    yoyo->SetYoYo(1);
    Tick(*yoyo, 5010);
    EXPECT_EQ(yoyo->isActive, 0);  // continuing back over 0 ms stops it
    EXPECT_EQ(yoyo->Value(), 2.0f);
}

TEST_F(TweenTest, NegativeDurationEndsAtTheEndValue) {
    auto tween = Started(tweenCirc->EaseIn.get(), 0, 10, 1000);
    Tick(*tween, 5500);
    tween->ContinueTo(20, -5);
    EXPECT_EQ(tween->isActive, 0);
    At(6000);
    tween->Resume();
    tween->Update();
    EXPECT_EQ(tween->Value(), 20.0f);
    EXPECT_EQ(tween->isActive, 0);
    tween->Rewind();
    EXPECT_FALSE(std::isnan(tween->Value()));
}

TEST_F(TweenTest, WithoutAnEquationTheValueMovesInAStraightLine) {
    Tween tween;
    tween.Init(nullptr, 0, 100, 1000);
    At(0);
    tween.Start();
    EXPECT_EQ(tween.Value(), 0.0f);
    Tick(tween, 250);
    EXPECT_FLOAT_EQ(tween.Value(), 25);
    tween.FastForward();
    EXPECT_FLOAT_EQ(tween.Value(), 100);
}

TEST_F(TweenTest, ClockBehindTheStartRestartsTheRun) {
    auto tween = Started(tweenLinear.get(), 0, 100, 1000);
    Tick(*tween, 5500);
    tweenTime = 4000;
    tween->Update();
    EXPECT_EQ(tween->timeStart, 4000);
    EXPECT_EQ(tween->Value(), 0.0f);
    EXPECT_EQ(tween->isActive, 1);
}

TEST_F(TweenTest, RunAcrossTwoToThe31MillisecondsMeasuresItsTrueLength) {
    auto tween = CreateTween(tweenLinear.get(), 0, 100, 1000);
    tweenTime = GameTime{INT_MAX} - 99;
    tween->Start();
    tweenTime = GameTime{INT_MAX} + 151;  // 250 ms later, past what an int holds
    tween->Update();
    EXPECT_FLOAT_EQ(tween->Value(), 25);
    tween->Stop();
    tweenTime = GameTime{1} << 40;  // a pause of years
    tween->Resume();
    tween->Update();
    EXPECT_FLOAT_EQ(tween->Value(), 25);
}

}  // namespace
