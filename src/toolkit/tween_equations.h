#pragma once
// Easing curves: the shapes a tween's value follows from its start to its end value.

#include <memory>
#include <numbers>

// One easing curve. A single shared instance serves every tween that uses the curve.
class TweenEquationCall {
  public:
    static constexpr float PI = std::numbers::pi_v<float>;

    virtual ~TweenEquationCall() = default;
    // The value at elapsed time t of duration d, going from b by the change c. Defined for
    // d > 0 and 0 <= t <= d; Tween never asks for anything else.
    virtual float Call(float t, float b, float c, float d) = 0;
    float Pow(float x, float y) const;
};

class TweenEquationCallLinear : public TweenEquationCall {
  public:
    float Call(float t, float b, float c, float d) override;
};

// A family of three curves sharing one shape: accelerating, decelerating, and both.
class TweenEquation {
  public:
    virtual ~TweenEquation() = default;
    std::unique_ptr<TweenEquationCall> EaseIn;
    std::unique_ptr<TweenEquationCall> EaseOut;
    std::unique_ptr<TweenEquationCall> EaseInOut;
};

class TweenEquationCallSineEaseIn : public TweenEquationCall {
  public:
    float Call(float t, float b, float c, float d) override;
};
class TweenEquationCallSineEaseOut : public TweenEquationCall {
  public:
    float Call(float t, float b, float c, float d) override;
};
class TweenEquationCallSineEaseInOut : public TweenEquationCall {
  public:
    float Call(float t, float b, float c, float d) override;
};

class TweenEquationCallQuintEaseIn : public TweenEquationCall {
  public:
    float Call(float t, float b, float c, float d) override;
};
class TweenEquationCallQuintEaseOut : public TweenEquationCall {
  public:
    float Call(float t, float b, float c, float d) override;
};
class TweenEquationCallQuintEaseInOut : public TweenEquationCall {
  public:
    float Call(float t, float b, float c, float d) override;
};

class TweenEquationCallQuartEaseIn : public TweenEquationCall {
  public:
    float Call(float t, float b, float c, float d) override;
};
class TweenEquationCallQuartEaseOut : public TweenEquationCall {
  public:
    float Call(float t, float b, float c, float d) override;
};
class TweenEquationCallQuartEaseInOut : public TweenEquationCall {
  public:
    float Call(float t, float b, float c, float d) override;
};

class TweenEquationCallQuadEaseIn : public TweenEquationCall {
  public:
    float Call(float t, float b, float c, float d) override;
};
class TweenEquationCallQuadEaseOut : public TweenEquationCall {
  public:
    float Call(float t, float b, float c, float d) override;
};
class TweenEquationCallQuadEaseInOut : public TweenEquationCall {
  public:
    float Call(float t, float b, float c, float d) override;
};

class TweenEquationCallExpoEaseIn : public TweenEquationCall {
  public:
    float Call(float t, float b, float c, float d) override;
};
class TweenEquationCallExpoEaseOut : public TweenEquationCall {
  public:
    float Call(float t, float b, float c, float d) override;
};
class TweenEquationCallExpoEaseInOut : public TweenEquationCall {
  public:
    float Call(float t, float b, float c, float d) override;
};

class TweenEquationCallCubicEaseIn : public TweenEquationCall {
  public:
    float Call(float t, float b, float c, float d) override;
};
class TweenEquationCallCubicEaseOut : public TweenEquationCall {
  public:
    float Call(float t, float b, float c, float d) override;
};
class TweenEquationCallCubicEaseInOut : public TweenEquationCall {
  public:
    float Call(float t, float b, float c, float d) override;
};

class TweenEquationCallCircEaseIn : public TweenEquationCall {
  public:
    float Call(float t, float b, float c, float d) override;
};
class TweenEquationCallCircEaseOut : public TweenEquationCall {
  public:
    float Call(float t, float b, float c, float d) override;
};
class TweenEquationCallCircEaseInOut : public TweenEquationCall {
  public:
    float Call(float t, float b, float c, float d) override;
};

// Bounce out falls onto the end value in four arcs of shrinking height; k and the arc bounds
// are the classic constants.
class TweenEquationCallBounceEaseIn : public TweenEquationCall {
  public:
    float Call(float t, float b, float c, float d) override;
};
class TweenEquationCallBounceEaseOut : public TweenEquationCall {
  public:
    static constexpr float K = 7.5625f;
    static constexpr float SPAN = 2.75f;

    float Call(float t, float b, float c, float d) override;
};
class TweenEquationCallBounceEaseInOut : public TweenEquationCall {
  public:
    float Call(float t, float b, float c, float d) override;
};

// Elastic curves derive amplitude a, period p and phase s from c and d on every call.
class TweenEquationCallElasticEaseIn : public TweenEquationCall {
  public:
    static constexpr float PERIOD = 0.3f;
    float p = 0;
    float a = 0;
    float s = 0;

    float Call(float t, float b, float c, float d) override;
};
class TweenEquationCallElasticEaseOut : public TweenEquationCall {
  public:
    static constexpr float PERIOD = 0.3f;
    float p = 0;
    float a = 0;
    float s = 0;

    float Call(float t, float b, float c, float d) override;
};
class TweenEquationCallElasticEaseInOut : public TweenEquationCall {
  public:
    static constexpr float PERIOD = 0.45f;
    float p = 0;
    float a = 0;
    float s = 0;

    float Call(float t, float b, float c, float d) override;
};

// Back curves overshoot by s; 1.70158 gives the customary ten per cent.
class TweenEquationCallBackEaseIn : public TweenEquationCall {
  public:
    static constexpr float OVERSHOOT = 1.70158f;
    float s = OVERSHOOT;

    float Call(float t, float b, float c, float d) override;
};
class TweenEquationCallBackEaseOut : public TweenEquationCall {
  public:
    static constexpr float OVERSHOOT = 1.70158f;
    float s = OVERSHOOT;

    float Call(float t, float b, float c, float d) override;
};
class TweenEquationCallBackEaseInOut : public TweenEquationCall {
  public:
    static constexpr float OVERSHOOT = 1.70158f;
    // Each half covers half the change, so the overshoot is scaled up to look the same.
    static constexpr float HALF_SCALE = 1.525f;
    float s = OVERSHOOT;
    float s2 = 0;

    float Call(float t, float b, float c, float d) override;
};

class TweenEquationSine : public TweenEquation {
  public:
    TweenEquationSine();
};
class TweenEquationQuint : public TweenEquation {
  public:
    TweenEquationQuint();
};
class TweenEquationQuart : public TweenEquation {
  public:
    TweenEquationQuart();
};
class TweenEquationQuad : public TweenEquation {
  public:
    TweenEquationQuad();
};
class TweenEquationExpo : public TweenEquation {
  public:
    TweenEquationExpo();
};
class TweenEquationCubic : public TweenEquation {
  public:
    TweenEquationCubic();
};
class TweenEquationCirc : public TweenEquation {
  public:
    TweenEquationCirc();
};
class TweenEquationBounce : public TweenEquation {
  public:
    TweenEquationBounce();
};
class TweenEquationElastic : public TweenEquation {
  public:
    TweenEquationElastic();
};
class TweenEquationBack : public TweenEquation {
  public:
    TweenEquationBack();
};

// The shared curves, made once at start-up and kept for the whole run; tweens point at them.
inline std::unique_ptr<TweenEquationCallLinear> tweenLinear;
inline std::unique_ptr<TweenEquationSine> tweenSine;
inline std::unique_ptr<TweenEquationQuint> tweenQuint;
inline std::unique_ptr<TweenEquationQuart> tweenQuart;
inline std::unique_ptr<TweenEquationQuad> tweenQuad;
inline std::unique_ptr<TweenEquationBack> tweenBack;
inline std::unique_ptr<TweenEquationBounce> tweenBounce;
inline std::unique_ptr<TweenEquationCirc> tweenCirc;
inline std::unique_ptr<TweenEquationCubic> tweenCubic;
inline std::unique_ptr<TweenEquationElastic> tweenElastic;
inline std::unique_ptr<TweenEquationExpo> tweenExpo;

// Start-up: makes the shared curves that do not exist yet, in the order above. Running it again
// leaves the existing ones in place, so pointers held by tweens stay valid.
void InitTweenEquations();
// Tests: puts the shared curves' parameters back to their initial values, in place.
void ResetTweenEquations();
