#include "toolkit/tween_equations.h"

#include <cmath>

namespace {

constexpr float HALF_PI = TweenEquationCall::PI / 2;
constexpr float TWO_PI = TweenEquationCall::PI * 2;

float BounceOut(float t, float b, float c, float d) {
    constexpr float k = TweenEquationCallBounceEaseOut::K;
    constexpr float w = TweenEquationCallBounceEaseOut::SPAN;
    float n = t / d;
    if (n < 1 / w) return c * (k * n * n) + b;
    if (n < 2 / w) {
        n -= 1.5f / w;
        return c * (k * n * n + 0.75f) + b;
    }
    if (n < 2.5f / w) {
        n -= 2.25f / w;
        return c * (k * n * n + 0.9375f) + b;
    }
    n -= 2.625f / w;
    return c * (k * n * n + 0.984375f) + b;
}

float BounceIn(float t, float b, float c, float d) {
    return c - BounceOut(d - t, 0, c, d) + b;
}

// The oscillating part of the elastic curves, with n already shifted by one.
float ElasticWave(float n, float d, float s, float p) {
    return std::sin((n * d - s) * TWO_PI / p);
}

}  // namespace

float TweenEquationCall::Pow(float x, float y) const {
    return static_cast<float>(std::pow(static_cast<double>(x), static_cast<double>(y)));
}

float TweenEquationCallLinear::Call(float t, float b, float c, float d) {
    return c * t / d + b;
}

float TweenEquationCallSineEaseIn::Call(float t, float b, float c, float d) {
    return -c * std::cos(t / d * HALF_PI) + c + b;
}
float TweenEquationCallSineEaseOut::Call(float t, float b, float c, float d) {
    return c * std::sin(t / d * HALF_PI) + b;
}
float TweenEquationCallSineEaseInOut::Call(float t, float b, float c, float d) {
    return -c / 2 * (std::cos(PI * t / d) - 1) + b;
}

float TweenEquationCallQuintEaseIn::Call(float t, float b, float c, float d) {
    float n = t / d;
    return c * n * n * n * n * n + b;
}
float TweenEquationCallQuintEaseOut::Call(float t, float b, float c, float d) {
    float n = t / d - 1;
    return c * (n * n * n * n * n + 1) + b;
}
float TweenEquationCallQuintEaseInOut::Call(float t, float b, float c, float d) {
    float n = t / (d / 2);
    if (n < 1) return c / 2 * n * n * n * n * n + b;
    n -= 2;
    return c / 2 * (n * n * n * n * n + 2) + b;
}

float TweenEquationCallQuartEaseIn::Call(float t, float b, float c, float d) {
    float n = t / d;
    return c * n * n * n * n + b;
}
float TweenEquationCallQuartEaseOut::Call(float t, float b, float c, float d) {
    float n = t / d - 1;
    return -c * (n * n * n * n - 1) + b;
}
float TweenEquationCallQuartEaseInOut::Call(float t, float b, float c, float d) {
    float n = t / (d / 2);
    if (n < 1) return c / 2 * n * n * n * n + b;
    n -= 2;
    return -c / 2 * (n * n * n * n - 2) + b;
}

float TweenEquationCallQuadEaseIn::Call(float t, float b, float c, float d) {
    float n = t / d;
    return c * n * n + b;
}
float TweenEquationCallQuadEaseOut::Call(float t, float b, float c, float d) {
    float n = t / d;
    return -c * n * (n - 2) + b;
}
float TweenEquationCallQuadEaseInOut::Call(float t, float b, float c, float d) {
    float n = t / (d / 2);
    if (n < 1) return c / 2 * n * n + b;
    n -= 1;
    return -c / 2 * (n * (n - 2) - 1) + b;
}

// The exponential never reaches its ends exactly (2^-10 is not 0), hence the pinned end points.
float TweenEquationCallExpoEaseIn::Call(float t, float b, float c, float d) {
    if (t == 0) return b;
    return c * Pow(2, 10 * (t / d - 1)) + b;
}
float TweenEquationCallExpoEaseOut::Call(float t, float b, float c, float d) {
    if (t == d) return b + c;
    return c * (1 - Pow(2, -10 * t / d)) + b;
}
float TweenEquationCallExpoEaseInOut::Call(float t, float b, float c, float d) {
    if (t == 0) return b;
    if (t == d) return b + c;
    float n = t / (d / 2);
    if (n < 1) return c / 2 * Pow(2, 10 * (n - 1)) + b;
    n -= 1;
    return c / 2 * (2 - Pow(2, -10 * n)) + b;
}

float TweenEquationCallCubicEaseIn::Call(float t, float b, float c, float d) {
    float n = t / d;
    return c * n * n * n + b;
}
float TweenEquationCallCubicEaseOut::Call(float t, float b, float c, float d) {
    float n = t / d - 1;
    return c * (n * n * n + 1) + b;
}
float TweenEquationCallCubicEaseInOut::Call(float t, float b, float c, float d) {
    float n = t / (d / 2);
    if (n < 1) return c / 2 * n * n * n + b;
    n -= 2;
    return c / 2 * (n * n * n + 2) + b;
}

float TweenEquationCallCircEaseIn::Call(float t, float b, float c, float d) {
    float n = t / d;
    return -c * (std::sqrt(1 - n * n) - 1) + b;
}
float TweenEquationCallCircEaseOut::Call(float t, float b, float c, float d) {
    float n = t / d - 1;
    return c * std::sqrt(1 - n * n) + b;
}
float TweenEquationCallCircEaseInOut::Call(float t, float b, float c, float d) {
    float n = t / (d / 2);
    if (n < 1) return -c / 2 * (std::sqrt(1 - n * n) - 1) + b;
    n -= 2;
    return c / 2 * (std::sqrt(1 - n * n) + 1) + b;
}

float TweenEquationCallBounceEaseIn::Call(float t, float b, float c, float d) {
    return BounceIn(t, b, c, d);
}
float TweenEquationCallBounceEaseOut::Call(float t, float b, float c, float d) {
    return BounceOut(t, b, c, d);
}
float TweenEquationCallBounceEaseInOut::Call(float t, float b, float c, float d) {
    if (t < d / 2) return BounceIn(t * 2, 0, c, d) * 0.5f + b;
    return BounceOut(t * 2 - d, 0, c, d) * 0.5f + c * 0.5f + b;
}

float TweenEquationCallElasticEaseIn::Call(float t, float b, float c, float d) {
    a = c;
    p = d * PERIOD;
    s = p / 4;
    if (t == 0) return b;
    float n = t / d;
    if (n == 1) return b + c;
    n -= 1;
    return -(a * Pow(2, 10 * n) * ElasticWave(n, d, s, p)) + b;
}
float TweenEquationCallElasticEaseOut::Call(float t, float b, float c, float d) {
    a = c;
    p = d * PERIOD;
    s = p / 4;
    if (t == 0) return b;
    float n = t / d;
    if (n == 1) return b + c;
    return a * Pow(2, -10 * n) * ElasticWave(n, d, s, p) + c + b;
}
float TweenEquationCallElasticEaseInOut::Call(float t, float b, float c, float d) {
    a = c;
    p = d * PERIOD;
    s = p / 4;
    if (t == 0) return b;
    float n = t / (d / 2);
    if (n == 2) return b + c;
    if (n < 1) {
        n -= 1;
        return -0.5f * a * Pow(2, 10 * n) * ElasticWave(n, d, s, p) + b;
    }
    n -= 1;
    return a * Pow(2, -10 * n) * ElasticWave(n, d, s, p) * 0.5f + c + b;
}

float TweenEquationCallBackEaseIn::Call(float t, float b, float c, float d) {
    float n = t / d;
    return c * n * n * ((s + 1) * n - s) + b;
}
float TweenEquationCallBackEaseOut::Call(float t, float b, float c, float d) {
    float n = t / d - 1;
    return c * (n * n * ((s + 1) * n + s) + 1) + b;
}
float TweenEquationCallBackEaseInOut::Call(float t, float b, float c, float d) {
    s2 = s * HALF_SCALE;
    float n = t / (d / 2);
    if (n < 1) return c / 2 * (n * n * ((s2 + 1) * n - s2)) + b;
    n -= 2;
    return c / 2 * (n * n * ((s2 + 1) * n + s2) + 2) + b;
}

namespace {
template <class In, class Out, class InOut>
void Fill(TweenEquation& family) {
    family.EaseIn = std::make_unique<In>();
    family.EaseOut = std::make_unique<Out>();
    family.EaseInOut = std::make_unique<InOut>();
}
}  // namespace

TweenEquationSine::TweenEquationSine() {
    Fill<TweenEquationCallSineEaseIn, TweenEquationCallSineEaseOut, TweenEquationCallSineEaseInOut>(
        *this);
}
TweenEquationQuint::TweenEquationQuint() {
    Fill<TweenEquationCallQuintEaseIn, TweenEquationCallQuintEaseOut,
         TweenEquationCallQuintEaseInOut>(*this);
}
TweenEquationQuart::TweenEquationQuart() {
    Fill<TweenEquationCallQuartEaseIn, TweenEquationCallQuartEaseOut,
         TweenEquationCallQuartEaseInOut>(*this);
}
TweenEquationQuad::TweenEquationQuad() {
    Fill<TweenEquationCallQuadEaseIn, TweenEquationCallQuadEaseOut, TweenEquationCallQuadEaseInOut>(
        *this);
}
TweenEquationExpo::TweenEquationExpo() {
    Fill<TweenEquationCallExpoEaseIn, TweenEquationCallExpoEaseOut, TweenEquationCallExpoEaseInOut>(
        *this);
}
TweenEquationCubic::TweenEquationCubic() {
    Fill<TweenEquationCallCubicEaseIn, TweenEquationCallCubicEaseOut,
         TweenEquationCallCubicEaseInOut>(*this);
}
TweenEquationCirc::TweenEquationCirc() {
    Fill<TweenEquationCallCircEaseIn, TweenEquationCallCircEaseOut, TweenEquationCallCircEaseInOut>(
        *this);
}
TweenEquationBounce::TweenEquationBounce() {
    Fill<TweenEquationCallBounceEaseIn, TweenEquationCallBounceEaseOut,
         TweenEquationCallBounceEaseInOut>(*this);
}
TweenEquationElastic::TweenEquationElastic() {
    Fill<TweenEquationCallElasticEaseIn, TweenEquationCallElasticEaseOut,
         TweenEquationCallElasticEaseInOut>(*this);
}
TweenEquationBack::TweenEquationBack() {
    Fill<TweenEquationCallBackEaseIn, TweenEquationCallBackEaseOut, TweenEquationCallBackEaseInOut>(
        *this);
}

namespace {
template <class T>
void Make(std::unique_ptr<T>& instance) {
    if (!instance) instance = std::make_unique<T>();
}

template <class T>
void ResetCurve(TweenEquationCall* curve) {
    if (auto* typed = dynamic_cast<T*>(curve)) *typed = T{};
}
}  // namespace

void InitTweenEquations() {
    Make(tweenLinear);
    Make(tweenSine);
    Make(tweenQuint);
    Make(tweenQuart);
    Make(tweenQuad);
    Make(tweenBack);
    Make(tweenBounce);
    Make(tweenCirc);
    Make(tweenCubic);
    Make(tweenElastic);
    Make(tweenExpo);
}

void ResetTweenEquations() {
    InitTweenEquations();
    ResetCurve<TweenEquationCallBackEaseIn>(tweenBack->EaseIn.get());
    ResetCurve<TweenEquationCallBackEaseOut>(tweenBack->EaseOut.get());
    ResetCurve<TweenEquationCallBackEaseInOut>(tweenBack->EaseInOut.get());
    ResetCurve<TweenEquationCallElasticEaseIn>(tweenElastic->EaseIn.get());
    ResetCurve<TweenEquationCallElasticEaseOut>(tweenElastic->EaseOut.get());
    ResetCurve<TweenEquationCallElasticEaseInOut>(tweenElastic->EaseInOut.get());
}
