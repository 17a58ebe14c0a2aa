#include "render.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace synth {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
// Pitch, filter cutoff and vibrato change slowly, so they are worked out once per block of
// samples rather than per sample; 16 samples is well under a millisecond.
constexpr int kControlBlock = 16;

// Small deterministic generator for noise voices; each voice gets its own stream.
class Noise {
  public:
    explicit Noise(std::uint32_t seed) : state_(seed ? seed : 0x9e3779b9u) {}
    double Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_) / 2147483648.0 - 1.0;
    }

  private:
    std::uint32_t state_;
};

std::uint32_t Mix(std::uint32_t a, std::uint32_t b) {
    std::uint32_t h = a * 0x85ebca6bu ^ (b + 0x9e3779b9u + (a << 6) + (a >> 2));
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    return h;
}

// Softens the step of a naive saw or pulse edge so high notes do not alias into a hiss.
double PolyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

double Oscillator(Wave wave, double phase, double dt, double duty) {
    switch (wave) {
        case Wave::Sine:
            return std::sin(kTwoPi * phase);
        case Wave::Triangle:
            return 4.0 * std::fabs(phase - 0.5) - 1.0;
        case Wave::Saw:
            return 2.0 * phase - 1.0 - PolyBlep(phase, dt);
        case Wave::Square:
        case Wave::Pulse: {
            double shifted = phase + 1.0 - duty;
            if (shifted >= 1.0) shifted -= 1.0;
            double v = (phase < duty ? 1.0 : -1.0) + PolyBlep(phase, dt) - PolyBlep(shifted, dt);
            return v - (2.0 * duty - 1.0);  // a narrow pulse would otherwise carry DC
        }
        case Wave::Noise:
            return 0.0;  // handled by the caller
    }
    return 0.0;
}

// Linear attack, a curved fall to the sustain level, and a curved release that lands exactly on
// zero, so a voice never ends on a click.
struct Envelope {
    double attack, decay, sustain, release, gate;  // in samples except sustain

    double Held(double t) const {
        if (t < attack) return t / attack;
        t -= attack;
        if (t < decay) {
            double u = 1.0 - t / decay;
            return sustain + (1.0 - sustain) * u * u;
        }
        return sustain;
    }
    double At(double t) const {
        if (t < gate) return Held(t);
        if (t >= gate + release) return 0.0;
        double u = 1.0 - (t - gate) / release;
        return Held(gate) * u * u;
    }
    // Samples until the voice is silent for good.
    std::int64_t Length() const {
        double held = gate;
        if (sustain <= 0.0) held = std::min(gate, attack + decay);
        return static_cast<std::int64_t>(std::ceil(held + release)) + 1;
    }
};

// Zero-delay-feedback state-variable low-pass: stays stable when the cutoff sweeps quickly.
class LowPass {
  public:
    void Tune(double cutoff, double resonance, double rate) {
        double g = std::tan(std::numbers::pi * cutoff / rate);
        double k = 1.0 / resonance;
        a1_ = 1.0 / (1.0 + g * (g + k));
        a2_ = g * a1_;
        a3_ = g * a2_;
    }
    double Process(double v0) {
        double v3 = v0 - ic2_;
        double v1 = a1_ * ic1_ + a2_ * v3;
        double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
        ic1_ = 2.0 * v1 - ic1_;
        ic2_ = 2.0 * v2 - ic2_;
        return v2;
    }

  private:
    double a1_ = 0, a2_ = 0, a3_ = 0, ic1_ = 0, ic2_ = 0;
};

std::vector<float> RenderVoice(const Instrument& in, const Note& note, std::int64_t gateFrames,
                               int rate, std::uint32_t seed) {
    const double sr = rate;
    Envelope env{in.attack * sr, in.decay * sr, in.sustain, in.release * sr,
                 static_cast<double>(gateFrames)};
    std::vector<float> out(static_cast<std::size_t>(env.Length()));
    Noise noise(seed);
    LowPass lowpass;
    const double nyquistGuard = 0.45 * sr;
    const double hpCoef =
        in.highpass > 0 ? 1.0 / (1.0 + kTwoPi * std::min(in.highpass, nyquistGuard) / sr) : 0.0;
    const double detune = std::exp2(in.detuneCents / 1200.0);
    const double gain = in.volume * note.velocity;
    double phase = 0.0, phase2 = 0.0, holdPhase = 1.0, held = 0.0;
    double hpIn = 0.0, hpOut = 0.0;
    double dt = 0.0;

    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / sr;
        if (i % kControlBlock == 0) {
            double semis = note.pitch;
            if (in.dropTime > 0) semis += in.dropSemis * std::exp(-t / in.dropTime);
            if (in.slideTime > 0) semis += in.slideSemis * std::min(t / in.slideTime, 1.0);
            if (note.glideFrom >= 0 && in.glide > 0)
                semis += (note.glideFrom - note.pitch) * std::max(0.0, 1.0 - t / in.glide);
            if (in.vibratoDepth > 0 && t > in.vibratoDelay) {
                double fade = std::min(1.0, (t - in.vibratoDelay) / 0.15);
                semis += fade * in.vibratoDepth *
                         std::sin(kTwoPi * in.vibratoRate * (t - in.vibratoDelay));
            }
            if (!in.arpeggio.empty()) {
                auto index = static_cast<std::size_t>(t * in.arpeggioRate);
                semis += in.arpeggio[index % in.arpeggio.size()];
            }
            double freq = 440.0 * std::exp2((semis - 69.0) / 12.0);
            dt = std::min(freq / sr, 0.5);
            if (in.lowpass > 0) {
                double cutoff = in.lowpass;
                if (in.filterEnvTime > 0)
                    cutoff *= std::exp2(in.filterEnvOctaves * std::exp(-t / in.filterEnvTime));
                lowpass.Tune(std::clamp(cutoff, 20.0, nyquistGuard), in.resonance, sr);
            }
        }
        double v;
        if (in.wave == Wave::Noise) {
            // Noise is held for a while set by the note, so low notes give a coarser, darker
            // rumble and high notes plain hiss.
            holdPhase += dt * 16.0;
            if (holdPhase >= 1.0) {
                holdPhase -= std::floor(holdPhase);
                held = noise.Next();
            }
            v = held;
        } else {
            v = Oscillator(in.wave, phase, dt, in.duty);
            if (in.detuneCents != 0.0) {
                v = 0.5 * (v + Oscillator(in.wave, phase2, dt * detune, in.duty));
                phase2 += dt * detune;
                if (phase2 >= 1.0) phase2 -= 1.0;
            }
            phase += dt;
            if (phase >= 1.0) phase -= 1.0;
        }
        if (in.lowpass > 0) v = lowpass.Process(v);
        if (in.highpass > 0) {
            hpOut = hpCoef * (hpOut + v - hpIn);
            hpIn = v;
            v = hpOut;
        }
        out[i] = static_cast<float>(v * env.At(static_cast<double>(i)) * gain);
    }
    return out;
}

// Echoes of everything sent to it, bouncing between left and right in stereo. On a loop the
// delay runs round the buffer twice, so echoes from the end of the song sound over its start.
void ApplyDelay(const std::vector<double>& send, std::vector<std::vector<double>>& mix,
                std::int64_t delay, double feedback, bool loop) {
    const std::int64_t n = static_cast<std::int64_t>(send.size());
    if (delay <= 0 || delay >= n) return;
    std::vector<double> a(send.size()), b(send.size());
    const int passes = loop ? 2 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        for (std::int64_t i = 0; i < n; ++i) {
            std::int64_t j = i - delay;
            if (j < 0) {
                if (!loop) continue;
                j += n;
            }
            a[i] = send[j] + feedback * (mix.size() == 2 ? b[j] : a[j]);
            b[i] = feedback * a[j];
        }
    }
    for (std::int64_t i = 0; i < n; ++i) {
        mix[0][i] += a[i];
        if (mix.size() == 2) mix[1][i] += b[i];
    }
}

}  // namespace

Pcm Render(const Song& song) {
    const double framesPerStep = song.rate * 60.0 / (song.tempo * song.stepsPerBeat);
    auto frameAt = [&](std::int64_t step) {
        return static_cast<std::int64_t>(std::llround(static_cast<double>(step) * framesPerStep));
    };
    const std::int64_t songFrames = frameAt(song.totalSteps);
    const std::size_t channels = static_cast<std::size_t>(song.channels);

    std::vector<std::vector<double>> mix(channels);
    std::vector<double> send;
    auto grow = [&](std::size_t size) {
        if (send.size() >= size) return;
        for (auto& c : mix) c.resize(size);
        send.resize(size);
    };
    grow(static_cast<std::size_t>(songFrames));

    std::uint32_t voiceIndex = 0;
    for (const Note& note : song.notes) {
        const std::int64_t start = frameAt(note.step);
        const std::int64_t gate = frameAt(note.step + note.length) - start;
        std::vector<int> struck{note.instrument};
        const auto& layers = song.instruments[note.instrument].layers;
        struck.insert(struck.end(), layers.begin(), layers.end());
        for (int which : struck) {
            const Instrument& inst = song.instruments[which];
            std::vector<float> voice =
                RenderVoice(inst, note, gate, song.rate, Mix(song.seed, voiceIndex++));
            grow(static_cast<std::size_t>(start) + voice.size());
            const double angle = (inst.pan + 1.0) * std::numbers::pi / 4.0;
            const double gains[2] = {channels == 2 ? std::cos(angle) : 1.0, std::sin(angle)};
            for (std::size_t i = 0; i < voice.size(); ++i) {
                const std::size_t at = static_cast<std::size_t>(start) + i;
                for (std::size_t c = 0; c < channels; ++c) mix[c][at] += voice[i] * gains[c];
                send[at] += voice[i] * inst.echo;
            }
        }
    }

    std::int64_t frames = static_cast<std::int64_t>(send.size());
    if (song.loop) {
        // Whatever rings past the last bar belongs to the start of the next time round.
        frames = songFrames;
        const std::size_t n = static_cast<std::size_t>(songFrames);
        for (std::size_t i = n; i < send.size(); ++i) {
            send[i % n] += send[i];
            for (auto& c : mix) c[i % n] += c[i];
        }
        send.resize(n);
        for (auto& c : mix) c.resize(n);
    } else {
        grow(send.size() + static_cast<std::size_t>(std::llround(song.tailSeconds * song.rate)));
        frames = static_cast<std::int64_t>(send.size());
    }
    if (song.delayFeedback > 0 || song.delaySteps > 0) {
        ApplyDelay(send, mix, std::llround(song.delaySteps * framesPerStep), song.delayFeedback,
                   song.loop);
    }
    if (!song.loop) {
        // The file may end while an echo is still faintly ringing; a few milliseconds of fade
        // keep that from ending on a click.
        const std::int64_t fade = std::min<std::int64_t>(song.rate / 200, frames);
        for (std::int64_t i = 0; i < fade; ++i) {
            const double g = static_cast<double>(i) / static_cast<double>(fade);
            const std::size_t at = static_cast<std::size_t>(frames - 1 - i);
            for (auto& c : mix) c[at] *= g;
        }
    }

    // Master: optional soft saturation for loudness, then scale the peak to the target.
    double peak = 0.0;
    for (const auto& c : mix)
        for (double v : c) peak = std::max(peak, std::fabs(v));
    if (song.drive > 0 && peak > 0) {
        const double norm = std::tanh(song.drive);
        for (auto& c : mix)
            for (double& v : c) v = std::tanh(song.drive * v / peak) / norm;
        peak = 0.0;
        for (const auto& c : mix)
            for (double v : c) peak = std::max(peak, std::fabs(v));
    }
    const double gain = peak > 0 ? std::pow(10.0, song.peakDb / 20.0) / peak : 0.0;

    Pcm pcm;
    pcm.rate = song.rate;
    pcm.channels = song.channels;
    pcm.frames = frames;
    pcm.samples.resize(static_cast<std::size_t>(frames) * channels);
    for (std::size_t i = 0; i < static_cast<std::size_t>(frames); ++i) {
        for (std::size_t c = 0; c < channels; ++c) {
            double v = std::round(mix[c][i] * gain * 32767.0);
            pcm.samples[i * channels + c] =
                static_cast<std::int16_t>(std::clamp(v, -32767.0, 32767.0));
        }
    }
    return pcm;
}

}  // namespace synth
