// The text and number readers of a stream over any bytes.

#include <cstdint>
#include <string>

#include "engine/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TRamStream in(data, size);
    // The first byte chooses how the rest is read.
    const int mode = size > 0 ? data[0] % 4 : 0;
    // A seek may go back; the number of reads is bounded so that this loop always ends.
    for (std::size_t reads = 0; !in.Eof() && reads <= size; ++reads) {
        switch (mode) {
            case 0:
                in.ReadLine();
                break;
            case 1:
                in.ReadInt();
                in.ReadShort();
                in.ReadFloat();
                break;
            case 2:
                in.ReadString(static_cast<std::size_t>(in.ReadByte()));
                break;
            default:
                in.Seek(in.ReadLong());
                in.ReadDouble();
                in.ReadLine();
                break;
        }
    }
    return 0;
}
