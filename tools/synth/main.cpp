// synth: renders one .synth source to an Ogg Vorbis file.
//   synth SOURCE OUTPUT.ogg
// An OUTPUT ending in .wav gets the PCM before encoding instead, for measuring a sound without
// the codec in the way.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "render.h"
#include "source.h"
#include "vorbis_writer.h"

namespace {

bool ReadFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return !in.bad();
}

// Writes beside the target and renames, so a failed run never leaves half a file behind.
bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const std::string temp = path + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) return false;
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) std::filesystem::remove(temp, ec);
    return !ec;
}

std::vector<std::uint8_t> Wav(const synth::Pcm& pcm) {
    std::vector<std::uint8_t> out;
    auto put = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    const auto data = static_cast<std::uint32_t>(pcm.samples.size() * 2);
    const auto channels = static_cast<std::uint32_t>(pcm.channels);
    const auto rate = static_cast<std::uint32_t>(pcm.rate);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    put(36 + data, 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put(16, 4);
    put(1, 2);  // integer PCM
    put(channels, 2);
    put(rate, 4);
    put(rate * channels * 2, 4);
    put(channels * 2, 2);
    put(16, 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put(data, 4);
    for (std::int16_t s : pcm.samples) put(static_cast<std::uint16_t>(s), 2);
    return out;
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: synth SOURCE.synth OUTPUT.ogg|OUTPUT.wav\n";
        return 2;
    }
    const std::string source = argv[1];
    const std::string output = argv[2];
    std::string text;
    if (!ReadFile(source, text)) {
        std::cerr << "synth: cannot read " << source << "\n";
        return 1;
    }
    try {
        synth::Song song = synth::ParseSource(text);
        synth::Pcm pcm = synth::Render(song);
        std::vector<std::uint8_t> bytes =
            EndsWith(output, ".wav") ? Wav(pcm) : synth::EncodeVorbis(pcm, song.quality);
        if (!WriteFile(output, bytes)) {
            std::cerr << "synth: cannot write " << output << "\n";
            return 1;
        }
    } catch (const synth::SourceError& e) {
        std::cerr << "synth: " << source;
        if (e.Line() > 0) std::cerr << ":" << e.Line();
        std::cerr << ": " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "synth: " << source << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
