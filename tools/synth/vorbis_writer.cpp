#include "vorbis_writer.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <stdexcept>

namespace synth {
namespace {

constexpr int kSerial = 0x4b53544e;  // any fixed number; a random one would change every build
constexpr int kChunkFrames = 4096;

// Owns the libvorbis and libogg state so every exit path releases it.
class Encoder {
  public:
    Encoder(int channels, int rate, double quality) {
        vorbis_info_init(&info_);
        if (vorbis_encode_init_vbr(&info_, channels, rate, static_cast<float>(quality)) != 0) {
            vorbis_info_clear(&info_);
            throw std::runtime_error("the Vorbis encoder refused these channels/rate/quality");
        }
        vorbis_comment_init(&comment_);
        vorbis_analysis_init(&dsp_, &info_);
        vorbis_block_init(&dsp_, &block_);
        ogg_stream_init(&stream_, kSerial);
    }
    ~Encoder() {
        ogg_stream_clear(&stream_);
        vorbis_block_clear(&block_);
        vorbis_dsp_clear(&dsp_);
        vorbis_comment_clear(&comment_);
        vorbis_info_clear(&info_);
    }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    void Headers() {
        ogg_packet id, comments, codebooks;
        vorbis_analysis_headerout(&dsp_, &comment_, &id, &comments, &codebooks);
        ogg_stream_packetin(&stream_, &id);
        ogg_stream_packetin(&stream_, &comments);
        ogg_stream_packetin(&stream_, &codebooks);
        // Audio starts on a page of its own, as players expect.
        ogg_page page;
        while (ogg_stream_flush(&stream_, &page) != 0) Append(page);
    }

    void Write(const Pcm& pcm) {
        const int channels = pcm.channels;
        for (std::int64_t at = 0; at < pcm.frames; at += kChunkFrames) {
            const int count =
                static_cast<int>(std::min<std::int64_t>(kChunkFrames, pcm.frames - at));
            float** buffer = vorbis_analysis_buffer(&dsp_, count);
            for (int i = 0; i < count; ++i) {
                const std::size_t base = static_cast<std::size_t>(at + i) * channels;
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = static_cast<float>(pcm.samples[base + c]) / 32768.0f;
            }
            vorbis_analysis_wrote(&dsp_, count);
            Drain();
        }
        vorbis_analysis_wrote(&dsp_, 0);  // end of stream: the last page records the exact length
        Drain();
    }

    std::vector<std::uint8_t> Take() { return std::move(bytes_); }

  private:
    void Append(const ogg_page& page) {
        bytes_.insert(bytes_.end(), page.header, page.header + page.header_len);
        bytes_.insert(bytes_.end(), page.body, page.body + page.body_len);
    }
    void Drain() {
        while (vorbis_analysis_blockout(&dsp_, &block_) == 1) {
            vorbis_analysis(&block_, nullptr);
            vorbis_bitrate_addblock(&block_);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp_, &packet) == 1) {
                ogg_stream_packetin(&stream_, &packet);
                ogg_page page;
                while (ogg_stream_pageout(&stream_, &page) != 0) Append(page);
            }
        }
        if (ogg_stream_eos(&stream_)) {
            ogg_page page;
            while (ogg_stream_flush(&stream_, &page) != 0) Append(page);
        }
    }

    vorbis_info info_;
    vorbis_comment comment_;
    vorbis_dsp_state dsp_;
    vorbis_block block_;
    ogg_stream_state stream_;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace

std::vector<std::uint8_t> EncodeVorbis(const Pcm& pcm, double quality) {
    if (pcm.frames <= 0) throw std::runtime_error("nothing to encode: the song renders no audio");
    Encoder encoder(pcm.channels, pcm.rate, quality);
    encoder.Headers();
    encoder.Write(pcm);
    return encoder.Take();
}

}  // namespace synth
