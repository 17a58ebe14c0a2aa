#pragma once
// Keeps Notify's messages instead of opening a box; they still go to stderr so death tests can
// match them. Installed for its lifetime.

#include <cstdio>
#include <string>
#include <vector>

#include "engine/system.h"

class RecordingNotifySink : public TNotifySink {
  public:
    RecordingNotifySink() { SetNotifySink(this); }
    ~RecordingNotifySink() override { SetNotifySink(nullptr); }
    RecordingNotifySink(const RecordingNotifySink&) = delete;
    RecordingNotifySink& operator=(const RecordingNotifySink&) = delete;

    void Notify(const std::string& text, bool serious) override {
        std::fprintf(stderr, "%s\n", text.c_str());
        std::fflush(stderr);
        messages.push_back(text);
        lastSerious = serious;
    }
    std::vector<std::string> messages;
    bool lastSerious = false;
};
