#include "source.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <sstream>

namespace synth {
namespace {

struct Token {
    std::string text;
    int line;
};

struct Line {
    int number = 0;
    std::vector<std::string> words;
};

// Splits the text into lines of words. `#` opens a comment only at the start of a word, so sharps
// such as C#4 survive; bar lines are words of their own even when written against a note.
std::vector<Line> SplitLines(const std::string& text) {
    std::vector<Line> lines;
    std::istringstream in(text);
    std::string raw;
    int number = 0;
    while (std::getline(in, raw)) {
        ++number;
        Line line{number, {}};
        std::string word;
        auto flush = [&] {
            if (!word.empty()) line.words.push_back(word);
            word.clear();
        };
        for (char c : raw) {
            if (c == '#' && word.empty()) break;
            if (c == ' ' || c == '\t' || c == '\r') {
                flush();
            } else if (c == '|') {
                flush();
                line.words.emplace_back("|");
            } else {
                word += c;
            }
        }
        flush();
        if (!line.words.empty()) lines.push_back(std::move(line));
    }
    return lines;
}

[[noreturn]] void Fail(int line, const std::string& message) {
    throw SourceError(line, message);
}

double Number(int line, const std::string& word, double lo, double hi, const char* what) {
    double value = 0.0;
    const char* end = word.data() + word.size();
    auto [ptr, ec] = std::from_chars(word.data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        Fail(line, std::string(what) + ": '" + word + "' is not a number");
    if (value < lo || value > hi) {
        std::ostringstream m;
        m << what << ": " << word << " is outside " << lo << " .. " << hi;
        Fail(line, m.str());
    }
    return value;
}

int Integer(int line, const std::string& word, int lo, int hi, const char* what) {
    double value = Number(line, word, lo, hi, what);
    if (value != std::floor(value)) Fail(line, std::string(what) + ": '" + word + "' is not whole");
    return static_cast<int>(value);
}

void Arity(const Line& line, std::size_t min, std::size_t max) {
    std::size_t args = line.words.size() - 1;
    if (args < min || args > max) {
        std::ostringstream m;
        m << "'" << line.words[0] << "' takes ";
        if (min == max)
            m << min;
        else
            m << min << " to " << max;
        m << " value" << (max == 1 ? "" : "s") << ", got " << args;
        Fail(line.number, m.str());
    }
}

// "C4", "F#3", "Bb2": MIDI note numbers with A4 = 69. -1 when the word is no note name.
int NoteNumber(const std::string& word) {
    static const int kClass[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (word.size() < 2 || word[0] < 'A' || word[0] > 'G') return -1;
    int pitch = kClass[word[0] - 'A'];
    std::size_t at = 1;
    if (word[at] == '#') {
        ++pitch;
        ++at;
    } else if (word[at] == 'b') {
        --pitch;
        ++at;
    }
    if (at + 1 != word.size() || word[at] < '0' || word[at] > '9') return -1;
    return (word[at] - '0' + 1) * 12 + pitch;
}

struct Voice {
    int instrument;
    int line;
    std::vector<Token> tokens;
};

struct Pattern {
    std::string name;
    int line = 0;
    std::vector<Voice> voices;
    std::vector<Note> notes;  // steps relative to the pattern start
    std::int64_t length = 0;
};

struct Section {
    std::vector<int> patterns;
    std::int64_t length = 0;
};

class Parser {
  public:
    Song Parse(const std::string& text);

  private:
    void Global(const Line& line);
    void InstrumentLine(Instrument& inst, const Line& line);
    void PatternLine(Pattern& pattern, const Line& line);
    void BuildPattern(Pattern& pattern);
    void SectionLine(const Line& line);
    void SongLine(const Line& line);
    int FindInstrument(int line, const std::string& name) const;

    Song song_;
    std::map<std::string, int> instrumentIndex_;
    std::vector<std::pair<int, std::vector<std::string>>> layerNames_;  // line, names per inst
    std::vector<Pattern> patterns_;
    std::map<std::string, int> patternIndex_;
    std::vector<Section> sections_;
    std::map<std::string, int> sectionIndex_;
    std::vector<Line> sectionLines_;
    std::vector<Line> songLines_;
};

int Parser::FindInstrument(int line, const std::string& name) const {
    auto it = instrumentIndex_.find(name);
    if (it == instrumentIndex_.end()) Fail(line, "no instrument named '" + name + "'");
    return it->second;
}

void Parser::Global(const Line& line) {
    const std::string& key = line.words[0];
    const auto& w = line.words;
    if (key == "rate") {
        Arity(line, 1, 1);
        song_.rate = Integer(line.number, w[1], 8000, 96000, "rate");
    } else if (key == "channels") {
        Arity(line, 1, 1);
        song_.channels = Integer(line.number, w[1], 1, 2, "channels");
    } else if (key == "tempo") {
        Arity(line, 1, 1);
        song_.tempo = Number(line.number, w[1], 10, 2000, "tempo");
    } else if (key == "steps") {
        Arity(line, 1, 1);
        song_.stepsPerBeat = Integer(line.number, w[1], 1, 64, "steps");
    } else if (key == "bar") {
        Arity(line, 1, 1);
        song_.stepsPerBar = Integer(line.number, w[1], 0, 256, "bar");
    } else if (key == "quality") {
        Arity(line, 1, 1);
        song_.quality = Number(line.number, w[1], -0.1, 1.0, "quality");
    } else if (key == "peak") {
        Arity(line, 1, 1);
        song_.peakDb = Number(line.number, w[1], -40, 0, "peak");
    } else if (key == "drive") {
        Arity(line, 1, 1);
        song_.drive = Number(line.number, w[1], 0, 10, "drive");
    } else if (key == "loop") {
        Arity(line, 1, 1);
        if (w[1] != "on" && w[1] != "off") Fail(line.number, "loop is 'on' or 'off'");
        song_.loop = w[1] == "on";
    } else if (key == "delay") {
        Arity(line, 2, 2);
        song_.delaySteps = Number(line.number, w[1], 0.01, 64, "delay steps");
        song_.delayFeedback = Number(line.number, w[2], 0, 0.95, "delay feedback");
    } else if (key == "tail") {
        Arity(line, 1, 1);
        song_.tailSeconds = Number(line.number, w[1], 0, 10, "tail");
    } else if (key == "seed") {
        Arity(line, 1, 1);
        song_.seed = static_cast<std::uint32_t>(Integer(line.number, w[1], 1, 1 << 30, "seed"));
    } else if (key == "section") {
        if (w.size() < 3) Fail(line.number, "a section needs a name and at least one pattern");
        sectionLines_.push_back(line);
    } else if (key == "song") {
        if (w.size() < 2) Fail(line.number, "'song' needs at least one section or pattern");
        songLines_.push_back(line);
    } else {
        Fail(line.number, "unknown setting '" + key + "'");
    }
}

void Parser::InstrumentLine(Instrument& inst, const Line& line) {
    const std::string& key = line.words[0];
    const auto& w = line.words;
    const int n = line.number;
    if (key == "wave") {
        Arity(line, 1, 2);
        static const std::map<std::string, Wave> kWaves = {
            {"sine", Wave::Sine},     {"triangle", Wave::Triangle}, {"saw", Wave::Saw},
            {"square", Wave::Square}, {"pulse", Wave::Pulse},       {"noise", Wave::Noise}};
        auto it = kWaves.find(w[1]);
        if (it == kWaves.end()) Fail(n, "unknown wave '" + w[1] + "'");
        inst.wave = it->second;
        if (inst.wave == Wave::Pulse) {
            if (w.size() != 3) Fail(n, "'wave pulse' needs a duty, e.g. 'wave pulse 0.25'");
            inst.duty = Number(n, w[2], 0.01, 0.99, "duty");
        } else if (w.size() != 2) {
            Fail(n, "only the pulse wave takes a duty");
        } else {
            inst.duty = 0.5;  // a square is an even pulse, whatever an earlier line said
        }
    } else if (key == "env") {
        Arity(line, 4, 4);
        inst.attack = Number(n, w[1], 0, 10, "attack");
        inst.decay = Number(n, w[2], 0, 10, "decay");
        inst.sustain = Number(n, w[3], 0, 1, "sustain");
        inst.release = Number(n, w[4], 0, 10, "release");
    } else if (key == "volume") {
        Arity(line, 1, 1);
        inst.volume = Number(n, w[1], 0, 4, "volume");
    } else if (key == "pan") {
        Arity(line, 1, 1);
        inst.pan = Number(n, w[1], -1, 1, "pan");
    } else if (key == "note") {
        Arity(line, 1, 1);
        inst.baseNote = NoteNumber(w[1]);
        if (inst.baseNote < 0) Fail(n, "'" + w[1] + "' is not a note name");
    } else if (key == "slide") {
        Arity(line, 2, 2);
        inst.slideSemis = Number(n, w[1], -96, 96, "slide semitones");
        inst.slideTime = Number(n, w[2], 0.001, 10, "slide time");
    } else if (key == "drop") {
        Arity(line, 2, 2);
        inst.dropSemis = Number(n, w[1], -96, 96, "drop semitones");
        inst.dropTime = Number(n, w[2], 0.001, 10, "drop time");
    } else if (key == "vibrato") {
        Arity(line, 2, 3);
        inst.vibratoRate = Number(n, w[1], 0, 50, "vibrato rate");
        inst.vibratoDepth = Number(n, w[2], 0, 12, "vibrato depth");
        inst.vibratoDelay = w.size() > 3 ? Number(n, w[3], 0, 10, "vibrato delay") : 0.0;
    } else if (key == "arp") {
        if (w.size() < 3) Fail(n, "'arp' needs a rate and at least one offset");
        inst.arpeggioRate = Number(n, w[1], 0.1, 200, "arp rate");
        inst.arpeggio.clear();
        for (std::size_t i = 2; i < w.size(); ++i)
            inst.arpeggio.push_back(Number(n, w[i], -48, 48, "arp offset"));
    } else if (key == "glide") {
        Arity(line, 1, 1);
        inst.glide = Number(n, w[1], 0, 5, "glide");
    } else if (key == "detune") {
        Arity(line, 1, 1);
        inst.detuneCents = Number(n, w[1], -100, 100, "detune");
    } else if (key == "lowpass") {
        Arity(line, 1, 2);
        inst.lowpass = Number(n, w[1], 20, 20000, "lowpass");
        inst.resonance = w.size() > 2 ? Number(n, w[2], 0.5, 10, "resonance") : 0.707;
    } else if (key == "filterenv") {
        Arity(line, 2, 2);
        inst.filterEnvOctaves = Number(n, w[1], -8, 8, "filterenv octaves");
        inst.filterEnvTime = Number(n, w[2], 0.001, 10, "filterenv time");
    } else if (key == "highpass") {
        Arity(line, 1, 1);
        inst.highpass = Number(n, w[1], 10, 20000, "highpass");
    } else if (key == "echo") {
        Arity(line, 1, 1);
        inst.echo = Number(n, w[1], 0, 1, "echo");
    } else if (key == "layer") {
        if (w.size() < 2) Fail(n, "'layer' needs at least one instrument");
        auto& names = layerNames_[instrumentIndex_.at(inst.name)];
        names.first = n;
        names.second.insert(names.second.end(), w.begin() + 1, w.end());
    } else {
        Fail(n, "unknown instrument setting '" + key + "'");
    }
}

void Parser::PatternLine(Pattern& pattern, const Line& line) {
    std::size_t first = 0;
    if (line.words[0] == "|") {
        // A line opening with a bar line carries on the voice above it.
        if (pattern.voices.empty()) Fail(line.number, "a continued line needs a voice above it");
    } else {
        pattern.voices.push_back(
            Voice{FindInstrument(line.number, line.words[0]), line.number, {}});
        first = 1;
    }
    auto& tokens = pattern.voices.back().tokens;
    for (std::size_t i = first; i < line.words.size(); ++i)
        tokens.push_back(Token{line.words[i], line.number});
}

// Turns each voice's steps into notes: a note sounds through the holds (-) after it and stops at
// the next rest (.) or note.
void Parser::BuildPattern(Pattern& pattern) {
    if (pattern.voices.empty()) Fail(pattern.line, "pattern '" + pattern.name + "' has no voices");
    const int bar = song_.stepsPerBar;
    for (const Voice& voice : pattern.voices) {
        const Instrument& inst = song_.instruments[voice.instrument];
        std::int64_t step = 0;
        std::vector<std::size_t> open;  // notes still sounding
        for (const Token& tok : voice.tokens) {
            const std::string& t = tok.text;
            if (t == "|") {
                if (bar > 0 && step % bar != 0) {
                    std::ostringstream m;
                    m << "bar line after " << step << " steps, not on a bar (" << bar << " steps)";
                    Fail(tok.line, m.str());
                }
                continue;
            }
            if (t == "-") {
                if (open.empty()) Fail(tok.line, "'-' holds nothing: no note before it");
                for (std::size_t i : open) ++pattern.notes[i].length;
                ++step;
                continue;
            }
            double tiedFrom = -1.0;
            if (open.size() == 1 && inst.glide > 0.0) tiedFrom = pattern.notes[open[0]].pitch;
            open.clear();
            if (t == ".") {
                ++step;
                continue;
            }
            std::string body = t;
            double velocity = 1.0;
            if (std::size_t star = body.find('*'); star != std::string::npos) {
                velocity = Number(tok.line, body.substr(star + 1), 0, 4, "velocity");
                body.resize(star);
            }
            std::vector<std::string> parts;
            std::size_t from = 0;
            for (;;) {
                std::size_t plus = body.find('+', from);
                parts.push_back(body.substr(from, plus - from));
                if (plus == std::string::npos) break;
                from = plus + 1;
            }
            for (const std::string& part : parts) {
                Note note;
                note.instrument = voice.instrument;
                note.step = step;
                note.velocity = velocity;
                if (part == "x") {
                    note.pitch = inst.baseNote;
                } else if (part == "o") {
                    note.pitch = inst.baseNote;
                    note.velocity *= 0.5;
                } else {
                    int number = NoteNumber(part);
                    if (number < 0) Fail(tok.line, "'" + t + "' is not a note, rest or hold");
                    note.pitch = number;
                }
                if (parts.size() == 1) note.glideFrom = tiedFrom;
                open.push_back(pattern.notes.size());
                pattern.notes.push_back(note);
            }
            ++step;
        }
        if (step == 0) Fail(voice.line, "a voice with no steps");
        if (pattern.length == 0) pattern.length = step;
        if (step != pattern.length) {
            std::ostringstream m;
            m << "this voice has " << step << " steps but the pattern's first voice has "
              << pattern.length;
            Fail(voice.line, m.str());
        }
    }
    if (bar > 0 && pattern.length % bar != 0) {
        std::ostringstream m;
        m << "pattern '" << pattern.name << "' is " << pattern.length
          << " steps, not a whole number of bars";
        Fail(pattern.line, m.str());
    }
}

void Parser::SectionLine(const Line& line) {
    const std::string& name = line.words[1];
    if (sectionIndex_.count(name) || patternIndex_.count(name))
        Fail(line.number, "the name '" + name + "' is already taken");
    Section section;
    for (std::size_t i = 2; i < line.words.size(); ++i) {
        auto it = patternIndex_.find(line.words[i]);
        if (it == patternIndex_.end())
            Fail(line.number, "no pattern named '" + line.words[i] + "'");
        section.patterns.push_back(it->second);
        section.length = std::max(section.length, patterns_[it->second].length);
    }
    // Shorter patterns repeat to fill the section, so they must fit it a whole number of times.
    for (int p : section.patterns) {
        if (section.length % patterns_[p].length != 0)
            Fail(line.number, "pattern '" + patterns_[p].name +
                                  "' does not fit the section a whole number of times");
    }
    sectionIndex_[name] = static_cast<int>(sections_.size());
    sections_.push_back(std::move(section));
}

void Parser::SongLine(const Line& line) {
    for (std::size_t i = 1; i < line.words.size(); ++i) {
        std::string name = line.words[i];
        int times = 1;
        if (std::size_t star = name.find('*'); star != std::string::npos) {
            times = Integer(line.number, name.substr(star + 1), 1, 64, "repeat count");
            name.resize(star);
        }
        Section single;
        const Section* section = nullptr;
        if (auto s = sectionIndex_.find(name); s != sectionIndex_.end()) {
            section = &sections_[s->second];
        } else if (auto p = patternIndex_.find(name); p != patternIndex_.end()) {
            single.patterns.push_back(p->second);
            single.length = patterns_[p->second].length;
            section = &single;
        } else {
            Fail(line.number, "no section or pattern named '" + name + "'");
        }
        for (int r = 0; r < times; ++r) {
            for (int p : section->patterns) {
                const Pattern& pattern = patterns_[p];
                for (std::int64_t at = 0; at < section->length; at += pattern.length) {
                    for (Note note : pattern.notes) {
                        note.step += song_.totalSteps + at;
                        song_.notes.push_back(note);
                    }
                }
            }
            song_.totalSteps += section->length;
        }
    }
}

Song Parser::Parse(const std::string& text) {
    std::vector<Line> lines = SplitLines(text);
    Instrument* instrument = nullptr;
    Pattern* pattern = nullptr;
    int blockLine = 0;
    for (const Line& line : lines) {
        const std::string& key = line.words[0];
        if (key == "end") {
            Arity(line, 0, 0);
            if (!instrument && !pattern) Fail(line.number, "'end' without an open block");
            instrument = nullptr;
            pattern = nullptr;
        } else if (key == "instrument" || key == "pattern") {
            if (instrument || pattern)
                Fail(line.number, "'" + key + "' inside a block opened at line " +
                                      std::to_string(blockLine) + " (missing 'end'?)");
            Arity(line, 1, 1);
            const std::string& name = line.words[1];
            if (name == "x" || name == "o" || NoteNumber(name) >= 0 || name == "|")
                Fail(line.number, "'" + name + "' cannot be a name");
            blockLine = line.number;
            if (key == "instrument") {
                if (instrumentIndex_.count(name))
                    Fail(line.number, "instrument '" + name + "' is defined twice");
                instrumentIndex_[name] = static_cast<int>(song_.instruments.size());
                song_.instruments.emplace_back().name = name;
                layerNames_.emplace_back();
                instrument = &song_.instruments.back();
            } else {
                if (patternIndex_.count(name))
                    Fail(line.number, "pattern '" + name + "' is defined twice");
                patternIndex_[name] = static_cast<int>(patterns_.size());
                patterns_.push_back(Pattern{name, line.number, {}, {}, 0});
                pattern = &patterns_.back();
            }
        } else if (instrument) {
            InstrumentLine(*instrument, line);
        } else if (pattern) {
            PatternLine(*pattern, line);
        } else {
            Global(line);
        }
    }
    if (instrument || pattern) Fail(blockLine, "block opened here is never closed with 'end'");

    for (std::size_t i = 0; i < layerNames_.size(); ++i) {
        for (const std::string& name : layerNames_[i].second) {
            int other = FindInstrument(layerNames_[i].first, name);
            if (other == static_cast<int>(i))
                Fail(layerNames_[i].first, "an instrument cannot layer itself");
            song_.instruments[i].layers.push_back(other);
        }
    }
    for (Pattern& p : patterns_) BuildPattern(p);
    for (const Line& line : sectionLines_) SectionLine(line);
    if (songLines_.empty()) Fail(0, "no 'song' line: nothing to play");
    for (const Line& line : songLines_) SongLine(line);
    std::stable_sort(song_.notes.begin(), song_.notes.end(),
                     [](const Note& a, const Note& b) { return a.step < b.step; });
    return song_;
}

}  // namespace

Song ParseSource(const std::string& text) {
    return Parser().Parse(text);
}

}  // namespace synth
