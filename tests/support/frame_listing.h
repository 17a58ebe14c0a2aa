#pragma once
// Every frame of a traced game as text: its running digest, its draw calls with all their numbers
// and its sound calls. A frame is written as the calls that changed since the frame before (most
// of a frame is the frame before), so a whole game stays small, and read back whole, frame by
// frame, so the first frame that differs from a kept listing can be shown call by call.
//
//   f <frame> <digest> <calls> <split>
//                                  a frame: its number, the running digest, how many draw calls,
//                                  and its split: the calls before it follow the call at the same
//                                  index of the frame before, the rest the call as far from the
//                                  end, so a thing that comes or goes moves none of the others
//                                  (calls that came in at the split follow none)
//   c <index> <name>=<value> ...   the numbers of one call that differ from the call it follows
//                                  (from a default call when there is none)
//   s <op> <sound> <value>         a sound call, the sound by the order it was first heard in
//   # ...                          a comment

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/recording_driver.h"

struct TracedSound {
    std::string op;
    int sound = 0;
    float value = 0;
};

struct TracedFrame {
    int number = 0;
    // The trace's digest of every call up to and including this frame.
    std::uint64_t digest = 0;
    std::vector<DrawCall> calls;
    std::vector<TracedSound> sounds;
};

class FrameListingWriter {
  public:
    // Appends the frame as its changes from the frame added before.
    void Add(const TracedFrame& frame);
    const std::string& Text() const { return text_; }

  private:
    std::vector<DrawCall> previous_;
    std::string text_;
};

class FrameListingReader {
  public:
    explicit FrameListingReader(std::string text) : text_(std::move(text)) {}
    // Moves on to the next frame; false at the end of the listing, or at a line it cannot read
    // (Error then names it).
    bool Next();
    // The frame Next moved to, whole.
    const TracedFrame& Frame() const { return frame_; }
    const std::string& Error() const { return error_; }

  private:
    std::string_view PeekLine() const;
    void SkipLine();
    bool ReadHeader(std::string_view line);
    // The calls of the frame before, each where the new frame's header says it follows.
    void Realign(std::size_t count, std::size_t split);
    bool ReadCall(std::string_view line);
    bool ReadSound(std::string_view line);
    bool Fail(std::string_view line);

    std::string text_;
    std::size_t pos_ = 0;
    int lineNumber_ = 0;
    TracedFrame frame_;
    std::string error_;
};

// Whether two calls agree in every number, bit for bit.
bool SameCall(const DrawCall& a, const DrawCall& b);

// The frame's draw calls that differ between what was expected and what was made (the first
// `maxCalls` of them), each with its numbers both ways and the names of those that differ, and
// the frame's sound calls both ways. Each made call is set beside the expected call it follows
// by the split that leaves the fewest differences, so a call drawn in addition, or no longer
// drawn, shows as that one call. Empty when the two agree in every call.
std::string DescribeFrameDifference(const TracedFrame& expected, const TracedFrame& made,
                                    std::size_t maxCalls = 8);
