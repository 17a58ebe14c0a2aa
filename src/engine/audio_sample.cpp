#include "engine/audio_sample.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>

#include "engine/stream.h"

namespace {
struct MemoryReader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos;
};

std::size_t ReadCb(void* ptr, std::size_t size, std::size_t nmemb, void* source) {
    auto* m = static_cast<MemoryReader*>(source);
    if (size == 0) return 0;
    std::size_t want = size * nmemb;
    std::size_t n = std::min(want, m->size - m->pos);
    std::memcpy(ptr, m->data + m->pos, n);
    m->pos += n;
    return n / size;
}

int SeekCb(void* source, ogg_int64_t offset, int whence) {
    auto* m = static_cast<MemoryReader*>(source);
    ogg_int64_t base = whence == SEEK_SET ? 0
                       : whence == SEEK_CUR ? static_cast<ogg_int64_t>(m->pos)
                                            : static_cast<ogg_int64_t>(m->size);
    ogg_int64_t to = base + offset;
    if (to < 0 || to > static_cast<ogg_int64_t>(m->size)) return -1;
    m->pos = static_cast<std::size_t>(to);
    return 0;
}

long TellCb(void* source) { return static_cast<long>(static_cast<MemoryReader*>(source)->pos); }
}  // namespace

std::unique_ptr<TAudioSample> DecodeOggVorbis(const std::uint8_t* data, std::size_t size) {
    if (!data || size == 0) return nullptr;
    MemoryReader reader{data, size, 0};
    ov_callbacks callbacks{ReadCb, SeekCb, nullptr, TellCb};
    OggVorbis_File vf;
    if (ov_open_callbacks(&reader, &vf, nullptr, 0, callbacks) != 0) return nullptr;
    vorbis_info* info = ov_info(&vf, -1);
    if (!info || (info->channels != 1 && info->channels != 2) || info->rate <= 0) {
        ov_clear(&vf);
        return nullptr;
    }
    auto sample = std::make_unique<TAudioSample>();
    sample->hertz = static_cast<int>(info->rate);
    sample->format = info->channels == 2 ? TAudioSample::SF_STEREO16LE : TAudioSample::SF_MONO16LE;
    const int channels = info->channels;
    ogg_int64_t total = ov_pcm_total(&vf, -1);
    if (total > 0 && total < (ogg_int64_t{1} << 31) / channels)
        sample->samples.reserve(static_cast<std::size_t>(total) * channels);
    char buf[16384];
    int section = 0;
    int holes = 0;
    for (;;) {
        long n = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section);
        // A damaged page reports a hole and decoding goes on after it; a stream that is nothing
        // but holes must still end.
        if (n == OV_HOLE && ++holes < 64) continue;
        if (n <= 0) break;
        std::size_t count = static_cast<std::size_t>(n) / 2;
        std::size_t at = sample->samples.size();
        sample->samples.resize(at + count);
        std::memcpy(sample->samples.data() + at, buf, count * 2);
    }
    ov_clear(&vf);
    sample->length = static_cast<int>(sample->samples.size() / channels);
    sample->samples.resize(static_cast<std::size_t>(sample->length) * channels);
    sample->capacity = sample->samples.size() * 2;
    if (sample->length == 0) return nullptr;
    return sample;
}

std::unique_ptr<TAudioSample> LoadAudioSample(const std::string& url) {
    TByteSource bytes;
    if (!OpenBytes(url, bytes)) return nullptr;
    return DecodeOggVorbis(bytes.data, bytes.size);
}
