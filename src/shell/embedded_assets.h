#pragma once
// The asset files built into the program, in the order they are registered at start-up.

#include <cstddef>
#include <span>

struct EmbeddedAsset {
    const char* name;
    const unsigned char* begin;
    const unsigned char* end;
};

std::span<const EmbeddedAsset> EmbeddedAssets();

// Start-up: every embedded asset under its "../assets/..." name, in table order.
void RegisterEmbeddedAssets();
