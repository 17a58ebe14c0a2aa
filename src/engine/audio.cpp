#include "engine/audio.h"

#include <cstdio>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

#include "engine/audio_sample.h"
#include "engine/openal_driver.h"
#include "engine/stream.h"
#include "engine/system.h"

namespace {

class TNullChannel final : public TChannel {
  public:
    void Stop() override {}
    void SetPaused(bool) override {}
    void SetVolume(float) override {}
    void SetPan(float) override {}
    void SetDepth(float) override {}
    void SetRate(float) override {}
    bool Playing() override { return false; }
};

class TNullSound final : public TSound {
  public:
    std::shared_ptr<TChannel> Play(std::shared_ptr<TChannel> channel) override {
        return Own(std::move(channel));
    }
    std::shared_ptr<TChannel> Cue(std::shared_ptr<TChannel> channel) override {
        return Own(std::move(channel));
    }

  private:
    static std::shared_ptr<TChannel> Own(std::shared_ptr<TChannel> channel) {
        if (dynamic_cast<TNullChannel*>(channel.get())) return channel;
        return std::make_shared<TNullChannel>();
    }
};

class TNullAudioDriver final : public TAudioDriver {
  public:
    std::string Name() const override { return "Null"; }
    bool Startup() override { return true; }
    void Shutdown() override {}
    std::unique_ptr<TSound> CreateSound(const TAudioSample&, int) override {
        return std::make_unique<TNullSound>();
    }
    using TAudioDriver::CreateSound;
    std::shared_ptr<TChannel> AllocChannel() override { return std::make_shared<TNullChannel>(); }
    // Nothing is heard, so nothing is decoded: a stream only has to open.
    std::unique_ptr<TSound> LoadStream(const std::string& source, int) override {
        TByteSource bytes;
        if (!OpenBytes(source, bytes)) return nullptr;
        TOggDecoder decoder;
        if (!decoder.Open(bytes.data, bytes.size)) {
            ReportRefusedSound(source, decoder.Why());
            return nullptr;
        }
        return std::make_unique<TNullSound>();
    }
};

std::unique_ptr<TAudioDriver>& Current() {
    static std::unique_ptr<TAudioDriver> driver;
    return driver;
}

}  // namespace

std::unique_ptr<TSound> TSound::Load(const std::string& source, int flags) {
    return ::LoadSound(source, flags);
}

std::unique_ptr<TAudioDriver> CreateNullAudioDriver() {
    return std::make_unique<TNullAudioDriver>();
}

void PrepareAudio() {
    PrepareOpenAL();
}

TAudioDriver& AudioDriver() {
    if (!Current()) SetAudioDriver(CreateOpenALDriver());
    return *Current();
}

void SetAudioDriver(std::unique_ptr<TAudioDriver> driver) {
    // The output is closed before the process goes, so its threads never outlive the mixer.
    AddExitHook(ShutdownAudio, ExitStage::Sound);
    ShutdownAudio();
    if (!driver || !driver->Startup()) {
        // Said once, in one line: the driver's own complaints are kept off the terminal.
        static bool told = false;
        if (driver && !told) {
            told = true;
            std::fprintf(stderr, "The sound mixer could not start: playing without sound.\n");
        }
        driver = CreateNullAudioDriver();
        driver->Startup();
    }
    Current() = std::move(driver);
}

void UpdateAudio() {
    if (Current()) Current()->Update();
}

void ShutdownAudio() {
    if (!Current()) return;
    Current()->Shutdown();
    Current().reset();
}

std::unique_ptr<TSound> LoadSound(const std::string& source, int flags) {
    return AudioDriver().LoadSound(source, flags);
}

std::unique_ptr<TSound> LoadStream(const std::string& source, int flags) {
    return AudioDriver().LoadStream(source, flags);
}

std::shared_ptr<TChannel> AllocChannel() {
    return AudioDriver().AllocChannel();
}

std::shared_ptr<TChannel> PlaySound(TSound* sound, std::shared_ptr<TChannel> channel) {
    AudioDriver();
    if (!sound) return channel;
    return sound->Play(std::move(channel));
}

std::shared_ptr<TChannel> CueSound(TSound* sound, std::shared_ptr<TChannel> channel) {
    AudioDriver();
    if (!sound) return channel;
    return sound->Cue(std::move(channel));
}

void StopChannel(TChannel* channel) {
    if (channel) channel->Stop();
}

void PauseChannel(TChannel* channel) {
    if (channel) channel->SetPaused(true);
}

void ResumeChannel(TChannel* channel) {
    if (channel) channel->SetPaused(false);
}

void SetChannelVolume(TChannel* channel, float volume) {
    if (channel) channel->SetVolume(volume);
}

bool ChannelPlaying(TChannel* channel) {
    return channel && channel->Playing();
}

namespace {

// One distinct source of a LoadSounds call.
struct TDecodeJob {
    std::string source;
    TByteSource bytes;
    TOggDecoder decoder;
    bool opened = false;
    // Where the PCM goes when the stream tells its length up front; a plain decode into sample
    // when it does not.
    std::unique_ptr<TSampleBuffer> buffer;
    std::unique_ptr<TAudioSample> sample;
    // Set when a piece did not line up with the rest (a damaged stream, a length that was not
    // the truth): the job is then decoded again in one plain pass.
    std::atomic<bool> broken{false};
};

// Frames [from, to) of a job, decoded on whichever thread takes it.
struct TPiece {
    TDecodeJob* job;
    std::int64_t from;
    std::int64_t to;
    double cost;  // compressed bytes it covers, a measure of decoding time
};

void PrepareJob(TDecodeJob& job, TAudioDriver& driver) {
    if (!OpenBytes(job.source, job.bytes)) return;
    job.opened = job.decoder.Open(job.bytes.data, job.bytes.size);
    if (!job.opened) {
        ReportRefusedSound(job.source, job.decoder.Why());
        return;
    }
    const std::int64_t total = job.decoder.TotalFrames();
    if (total > 0 && total * job.decoder.Channels() < (std::int64_t{1} << 31))
        job.buffer = driver.AllocSampleBuffer(static_cast<int>(total), job.decoder.Hertz(),
                                              job.decoder.Format());
}

void AddPieces(TDecodeJob& job, unsigned threads, std::int64_t splitBytes,
               std::vector<TPiece>& pieces) {
    if (!job.opened) return;
    const double bytes = static_cast<double>(job.bytes.size);
    if (!job.buffer) {
        pieces.push_back({&job, 0, -1, bytes});
        return;
    }
    const std::int64_t frames = job.buffer->frames;
    const std::int64_t pcm = frames * job.decoder.Channels() * 2;
    const std::int64_t count = pcm >= splitBytes ? threads : 1;
    for (std::int64_t i = 0; i < count; ++i)
        pieces.push_back({&job, frames * i / count, frames * (i + 1) / count, bytes / count});
}

// Runs on any thread: touches only its own decoder and its own frames of the job's memory.
void DecodePiece(const TPiece& piece) {
    TDecodeJob& job = *piece.job;
    if (!job.buffer) {
        job.sample = DecodeOggVorbis(job.bytes.data, job.bytes.size);
        return;
    }
    TOggDecoder own;
    TOggDecoder* decoder = &job.decoder;
    if (piece.from > 0) {
        decoder = &own;
        if (!own.Open(job.bytes.data, job.bytes.size) || !own.Seek(piece.from)) {
            job.broken = true;
            return;
        }
    }
    const auto want = static_cast<std::size_t>(piece.to - piece.from);
    std::int16_t* at =
        job.buffer->Data() + static_cast<std::size_t>(piece.from) * decoder->Channels();
    const std::size_t got = decoder->Read(at, want);
    // Vorbis decodes bit-exactly from a seek point, so pieces that end exactly where the next
    // begins add up to the plain decode.
    bool lined = got == want && !decoder->Damaged() && decoder->Tell() == piece.to;
    std::int16_t probe[2];
    if (lined && piece.to == job.buffer->frames) lined = decoder->Read(probe, 1) == 0;
    if (!lined) job.broken = true;
}

std::unique_ptr<TSound> SoundOf(TDecodeJob& job, TAudioDriver& driver, int flags) {
    if (job.sample) return driver.CreateSound(*job.sample, flags);
    if (job.buffer && !job.broken)
        return driver.CreateSound(*job.buffer, job.buffer->frames, flags);
    return nullptr;
}

}  // namespace

std::vector<std::unique_ptr<TSound>> LoadSounds(std::span<const TSoundRequest> requests,
                                                int threads, std::int64_t splitBytes) {
    TAudioDriver& driver = AudioDriver();
    std::vector<std::unique_ptr<TDecodeJob>> jobs;
    std::vector<std::size_t> jobOf;
    for (const TSoundRequest& r : requests) {
        auto same = std::find_if(jobs.begin(), jobs.end(),
                                 [&](const auto& j) { return j->source == r.source; });
        if (same == jobs.end()) {
            jobs.push_back(std::make_unique<TDecodeJob>());
            jobs.back()->source = r.source;
            same = jobs.end() - 1;
        }
        jobOf.push_back(static_cast<std::size_t>(same - jobs.begin()));
    }

    const unsigned count = threads > 0 ? static_cast<unsigned>(threads)
                                       : std::max(1u, std::thread::hardware_concurrency());
    std::vector<TPiece> pieces;
    for (auto& j : jobs) {
        PrepareJob(*j, driver);
        AddPieces(*j, count, splitBytes, pieces);
    }
    // Largest first, so no long piece is left to run alone on one core at the end.
    std::stable_sort(pieces.begin(), pieces.end(),
                     [](const TPiece& a, const TPiece& b) { return a.cost > b.cost; });
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < pieces.size(); i = next++) DecodePiece(pieces[i]);
    };
    {
        std::vector<std::jthread> helpers;
        const std::size_t helping = std::min<std::size_t>(count, pieces.size());
        for (std::size_t t = 1; t < helping; ++t) helpers.emplace_back(work);
        work();
    }

    std::vector<std::unique_ptr<TSound>> sounds;
    for (auto& j : jobs)
        if (j->broken) j->sample = DecodeOggVorbis(j->bytes.data, j->bytes.size);
    for (std::size_t i = 0; i < requests.size(); ++i)
        sounds.push_back(SoundOf(*jobs[jobOf[i]], driver, requests[i].flags));
    return sounds;
}
