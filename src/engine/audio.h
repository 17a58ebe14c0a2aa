#pragma once
// Sounds, channels and the audio driver they play through, as the game uses them: the current
// driver and free functions over it. Every call comes from the main thread; the mixing runs
// inside the driver.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/audio_driver.h"

// Settles, on the main thread, what the first audio call reads from the environment, so that the
// first call may then come from another thread.
void PrepareAudio();
// The driver every call goes through. The first use picks "OpenAL", or "Null" (silent, accepts
// everything) when OpenAL's mixer does not start.
TAudioDriver& AudioDriver();
// Starts driver and makes it current; one that cannot start gives way to "Null". The previous
// driver is shut down first.
void SetAudioDriver(std::unique_ptr<TAudioDriver> driver);
// Shuts the current driver down; the next audio call selects one again.
void ShutdownAudio();
// The current driver's Update, once a frame; nothing when no driver has been chosen yet.
void UpdateAudio();
// A driver that accepts every call and plays nothing.
std::unique_ptr<TAudioDriver> CreateNullAudioDriver();

// Decodes the whole Ogg Vorbis source (an embedded-file URL or a path) into a sound of the
// current driver (flags: SOUND_LOOP or 0); null when it cannot be read, with the reason on
// stderr.
std::unique_ptr<TSound> LoadSound(const std::string& source, int flags = 0);
// The source as a sound of the current driver played straight from its compressed bytes (see
// TAudioDriver::LoadStream); null when it cannot be read, with the reason on stderr.
std::unique_ptr<TSound> LoadStream(const std::string& source, int flags = 0);
// A channel of the current driver, nothing playing on it.
std::shared_ptr<TChannel> AllocChannel();
// A null sound plays nothing and gives back the channel it was handed.
std::shared_ptr<TChannel> PlaySound(TSound* sound, std::shared_ptr<TChannel> channel = nullptr);
// As PlaySound, but left paused, so that its volume can be set before ResumeChannel.
std::shared_ptr<TChannel> CueSound(TSound* sound, std::shared_ptr<TChannel> channel = nullptr);
// The channel calls ignore a null channel.
void StopChannel(TChannel* channel);
void PauseChannel(TChannel* channel);
void ResumeChannel(TChannel* channel);
void SetChannelVolume(TChannel* channel, float volume);
bool ChannelPlaying(TChannel* channel);

struct TSoundRequest {
    std::string source;
    int flags = 0;
};
// Loads several sounds at once, decoding on up to threads threads (0: one per core), the
// largest sources first, straight into the driver's memory. A stream of at least splitBytes of
// PCM is decoded in one piece per thread: the game's pieces of music are so alike in length
// that whole files cannot be shared out evenly between two cores. The sounds come back in
// request order, null where LoadSound would give null, each holding exactly the PCM LoadSound
// would decode. Requests naming the same source share one decode.
std::vector<std::unique_ptr<TSound>> LoadSounds(std::span<const TSoundRequest> requests,
                                                int threads = 0, std::int64_t splitBytes = 4 << 20);
