// PNG decoding of any bytes.

#include <cstdint>
#include <string>

#include "engine/pixmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string why;
    std::unique_ptr<TPixmap> pixmap = DecodePNG(data, size, &why);
    if (pixmap) PadToPowerOfTwo(*pixmap, 2048);
    return 0;
}
