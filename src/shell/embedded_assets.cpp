#include "shell/embedded_assets.h"

#include "engine/stream.h"

void RegisterEmbeddedAssets() {
    for (const EmbeddedAsset& a : EmbeddedAssets())
        RegisterIncbin(a.name, a.begin, static_cast<std::size_t>(a.end - a.begin));
}
