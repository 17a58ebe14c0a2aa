#include "engine/audio_sample.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
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
    ogg_int64_t base = whence == SEEK_SET   ? 0
                       : whence == SEEK_CUR ? static_cast<ogg_int64_t>(m->pos)
                                            : static_cast<ogg_int64_t>(m->size);
    ogg_int64_t to = base + offset;
    if (to < 0 || to > static_cast<ogg_int64_t>(m->size)) return -1;
    m->pos = static_cast<std::size_t>(to);
    return 0;
}

long TellCb(void* source) {
    return static_cast<long>(static_cast<MemoryReader*>(source)->pos);
}

std::unique_ptr<TAudioSample> Refused(std::string* why, const std::string& reason) {
    if (why) *why = reason;
    return nullptr;
}

// Samples (not frames) that fit in the sample's length field.
constexpr ogg_int64_t kMaxSamples = ogg_int64_t{1} << 31;
}  // namespace

struct TOggDecoder::Impl {
    MemoryReader reader{nullptr, 0, 0};
    OggVorbis_File vf{};
    bool open = false;
    int hertz = 0;
    int channels = 0;
    int holes = 0;
    std::string why;
    // Set at the end of the stream or its first error: later reads give nothing, however the
    // caller splits them.
    bool ended = false;
    ~Impl() {
        if (open) ov_clear(&vf);
    }
    bool SameFormat(const vorbis_info* info) const {
        return info && info->channels == channels && info->rate == hertz;
    }
    // A chained stream may change format from one link to the next, and one sample holds one
    // format: the first link that differs from the first, or empty when none does.
    std::string MixedLinks() {
        for (long link = 1; link < ov_streams(&vf); ++link)
            if (!SameFormat(ov_info(&vf, static_cast<int>(link))))
                return "link " + std::to_string(link + 1) +
                       " of the chained stream changes its channels or rate";
        return {};
    }
};

TOggDecoder::TOggDecoder() : impl_(std::make_unique<Impl>()) {}
TOggDecoder::~TOggDecoder() = default;

bool TOggDecoder::Open(const std::uint8_t* data, std::size_t size) {
    impl_ = std::make_unique<Impl>();
    if (!data || size == 0) return Refuse("it is empty");
    impl_->reader = MemoryReader{data, size, 0};
    ov_callbacks callbacks{ReadCb, SeekCb, nullptr, TellCb};
    if (ov_open_callbacks(&impl_->reader, &impl_->vf, nullptr, 0, callbacks) != 0)
        return Refuse("it is not an Ogg Vorbis stream");
    impl_->open = true;
    vorbis_info* info = ov_info(&impl_->vf, 0);
    if (!info || (info->channels != 1 && info->channels != 2) || info->rate <= 0 ||
        info->rate > 1000000)
        return Refuse("it is not mono or stereo at a usable rate");
    impl_->hertz = static_cast<int>(info->rate);
    impl_->channels = info->channels;
    const std::string mixed = impl_->MixedLinks();
    if (!mixed.empty()) return Refuse(mixed);
    // vorbisfile leaves a chained stream at the start of its last link once it has mapped the
    // links; decoding begins at the first.
    if (ov_pcm_tell(&impl_->vf) != 0 && ov_pcm_seek(&impl_->vf, 0) != 0)
        return Refuse("it cannot be read from its start");
    return true;
}

bool TOggDecoder::Refuse(const std::string& why) {
    impl_ = std::make_unique<Impl>();
    impl_->why = why;
    return false;
}

const std::string& TOggDecoder::Why() const {
    return impl_->why;
}

int TOggDecoder::Hertz() const {
    return impl_->hertz;
}

int TOggDecoder::Format() const {
    if (impl_->channels == 0) return 0;
    return impl_->channels == 2 ? TAudioSample::SF_STEREO16LE : TAudioSample::SF_MONO16LE;
}

std::int64_t TOggDecoder::TotalFrames() const {
    if (!impl_->open) return -1;
    ogg_int64_t total = ov_pcm_total(&impl_->vf, -1);
    return total >= 0 ? total : -1;
}

std::size_t TOggDecoder::Read(std::int16_t* out, std::size_t maxFrames) {
    if (!impl_->open || impl_->ended) return 0;
    const std::size_t frameBytes = static_cast<std::size_t>(impl_->channels) * 2;
    char* at = reinterpret_cast<char*>(out);
    std::size_t left = maxFrames * frameBytes;
    std::size_t done = 0;
    int section = 0;
    while (left >= frameBytes) {
        int want = static_cast<int>(std::min<std::size_t>(left, 1 << 20));
        long n = ov_read(&impl_->vf, at, want, 0, 2, 1, &section);
        // A damaged page reports a hole and decoding goes on after it; a stream that is nothing
        // but holes must still end.
        if (n == OV_HOLE && ++impl_->holes < 64) continue;
        if (n <= 0) {
            impl_->ended = true;
            break;
        }
        // Links are all checked when the stream opens; one that turns up only now (a stream
        // whose end could not be found) and changes format ends the sound instead.
        if (!impl_->SameFormat(ov_info(&impl_->vf, section))) {
            impl_->ended = true;
            break;
        }
        // ov_read hands out whole frames only.
        at += n;
        left -= static_cast<std::size_t>(n);
        done += static_cast<std::size_t>(n);
    }
    return done / frameBytes;
}

bool TOggDecoder::Seek(std::int64_t frame) {
    if (!impl_->open || frame < 0) return false;
    impl_->ended = false;
    return ov_pcm_seek(&impl_->vf, frame) == 0;
}

std::int64_t TOggDecoder::Tell() const {
    if (!impl_->open) return -1;
    ogg_int64_t at = ov_pcm_tell(&impl_->vf);
    return at >= 0 ? at : -1;
}

bool TOggDecoder::Damaged() const {
    return impl_->holes > 0;
}

bool TOggStream::Open(const std::uint8_t* data, std::size_t size, bool loop) {
    loop_ = loop;
    damage_.clear();
    passFrames_ = 0;
    ended_ = !decoder_.Open(data, size);
    total_ = ended_ ? -1 : decoder_.TotalFrames();
    return !ended_;
}

std::size_t TOggStream::Read(std::int16_t* out, std::size_t maxFrames) {
    std::size_t done = 0;
    while (done < maxFrames && !ended_) {
        const std::size_t n =
            decoder_.Read(out + done * static_cast<std::size_t>(Channels()), maxFrames - done);
        passFrames_ += static_cast<std::int64_t>(n);
        done += n;
        if (decoder_.Damaged()) {
            // What came before the hole was heard whole; nothing after it is.
            ended_ = true;
            damage_ = "damaged";
        } else if (n == 0 && !NextPass()) {
            ended_ = true;
        }
    }
    return done;
}

bool TOggStream::NextPass() {
    if (total_ > 0 && passFrames_ < total_) {
        damage_ = "cut short";
        return false;
    }
    // A pass with no sound in it would loop for ever without a frame to show for it.
    if (!loop_ || passFrames_ == 0) return false;
    if (!decoder_.Seek(0)) {
        damage_ = "damaged";
        return false;
    }
    passFrames_ = 0;
    return true;
}

double TOggStream::EndedAt() const {
    return Hertz() > 0 ? double(passFrames_) / Hertz() : 0;
}

std::unique_ptr<TAudioSample> DecodeOggVorbis(const std::uint8_t* data, std::size_t size,
                                              std::string* why) {
    TOggDecoder decoder;
    if (!decoder.Open(data, size)) return Refused(why, decoder.Why());
    auto sample = std::make_unique<TAudioSample>();
    sample->hertz = decoder.Hertz();
    sample->format = decoder.Format();
    const int channels = decoder.Channels();
    std::int64_t total = decoder.TotalFrames();
    if (total > 0 && total < kMaxSamples / channels)
        sample->samples.reserve(static_cast<std::size_t>(total) * channels);
    constexpr std::size_t kChunk = 4096;
    std::int16_t buf[kChunk * 2];
    for (;;) {
        std::size_t frames = decoder.Read(buf, kChunk);
        if (frames == 0) break;
        if (sample->samples.size() + frames * channels >= static_cast<std::size_t>(kMaxSamples))
            return Refused(why, "it is too long");
        sample->samples.insert(sample->samples.end(), buf, buf + frames * channels);
    }
    sample->length = static_cast<int>(sample->samples.size() / channels);
    sample->capacity = sample->samples.size() * 2;
    if (sample->length == 0) return Refused(why, "it holds no sound");
    return sample;
}

std::unique_ptr<TAudioSample> LoadAudioSample(const std::string& url) {
    TByteSource bytes;
    if (!OpenBytes(url, bytes)) return nullptr;
    std::string why;
    std::unique_ptr<TAudioSample> sample = DecodeOggVorbis(bytes.data, bytes.size, &why);
    if (!sample) ReportRefusedSound(url, why);
    return sample;
}

void ReportRefusedSound(const std::string& url, const std::string& why) {
    std::fprintf(stderr, "The sound \"%s\" was refused: %s.\n", url.c_str(), why.c_str());
}

std::int64_t DecodeOggVorbisDiscarding(const std::uint8_t* data, std::size_t size) {
    if (!data || size == 0) return -1;
    MemoryReader reader{data, size, 0};
    ov_callbacks callbacks{ReadCb, SeekCb, nullptr, TellCb};
    OggVorbis_File vf;
    if (ov_open_callbacks(&reader, &vf, nullptr, 0, callbacks) != 0) return -1;
    if (ov_pcm_tell(&vf) != 0) ov_pcm_seek(&vf, 0);  // as TOggDecoder::Open
    char buf[16384];
    std::int64_t bytes = 0;
    int section = 0;
    int holes = 0;
    for (;;) {
        long n = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section);
        if (n == OV_HOLE && ++holes < 64) continue;
        if (n <= 0) break;
        bytes += n;
    }
    ov_clear(&vf);
    return bytes;
}
