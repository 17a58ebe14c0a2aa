#pragma once
// The parsed form of a .synth source: global settings, instruments, and every note of the song
// laid out on one timeline of steps.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace synth {

// A malformed source. `line` is 1-based, 0 when the fault is not tied to one line.
class SourceError : public std::runtime_error {
  public:
    SourceError(int line, const std::string& message) : std::runtime_error(message), line_(line) {}
    int Line() const { return line_; }

  private:
    int line_;
};

enum class Wave { Sine, Triangle, Saw, Square, Pulse, Noise };

struct Instrument {
    std::string name;
    Wave wave = Wave::Square;
    double duty = 0.5;  // pulse width, 0..1
    // ADSR, in seconds (sustain is a level).
    double attack = 0.002;
    double decay = 0.1;
    double sustain = 0.7;
    double release = 0.05;
    double volume = 0.5;
    double pan = 0.0;   // -1 left .. +1 right
    int baseNote = 60;  // what an `x` hit plays
    // Pitch movement, in semitones.
    double slideSemis = 0.0, slideTime = 0.0;  // straight line away from the note
    double dropSemis = 0.0, dropTime = 0.0;    // starts off the note and settles onto it
    double vibratoRate = 0.0, vibratoDepth = 0.0, vibratoDelay = 0.0;
    std::vector<double> arpeggio;  // offsets cycled at arpeggioRate
    double arpeggioRate = 0.0;
    double glide = 0.0;        // seconds to slide from the previous note when tied to it
    double detuneCents = 0.0;  // a second oscillator this far above, for thickness
    // Filters (0 = off). The low-pass cutoff may open by filterEnvOctaves and close again.
    double lowpass = 0.0, resonance = 0.707;
    double filterEnvOctaves = 0.0, filterEnvTime = 0.0;
    double highpass = 0.0;
    double echo = 0.0;        // send level into the song's delay
    std::vector<int> layers;  // other instruments struck together with this one
};

struct Note {
    int instrument = 0;
    std::int64_t step = 0;    // start, in steps from the song start
    std::int64_t length = 1;  // gate, in steps
    double pitch = 60.0;      // MIDI note number
    double velocity = 1.0;
    double glideFrom = -1.0;  // pitch of a tied previous note, when the instrument glides
};

struct Song {
    int rate = 44100;
    int channels = 1;
    double tempo = 120.0;  // beats per minute
    int stepsPerBeat = 4;
    int stepsPerBar = 16;  // 0: no bar checks
    double quality = 0.4;  // Vorbis VBR quality
    double peakDb = -3.0;  // the loudest sample is scaled to this
    double drive = 0.0;    // soft saturation before normalising, 0 = clean
    bool loop = false;     // tails wrap onto the start and the length is exactly the song
    double delaySteps = 0.0, delayFeedback = 0.0;
    double tailSeconds = 0.0;  // extra room after the last note of a one-shot
    std::uint32_t seed = 1;
    std::vector<Instrument> instruments;
    std::vector<Note> notes;
    std::int64_t totalSteps = 0;
};

// Parses source text. Throws SourceError naming the offending line.
Song ParseSource(const std::string& text);

}  // namespace synth
