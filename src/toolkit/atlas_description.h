#pragma once
// The text description of an atlas page, in the layout the game's atlas is written in (libGDX's
// older packer format):
//   a header: the page file name, an optional "size: W, H", then "format: ...",
//   "filter: A, B" and "repeat: ...";
//   then seven lines a region: its name, "rotate: false", "xy: X, Y", "size: W, H",
//   "orig: W, H", "offset: X, Y" and "index: N", with the optional nine-patch lines
//   "split: L, R, T, B" and "pad: L, R, T, B" after "size:".
// Spaces count for nothing anywhere (a name loses its spaces too); lines may end in CR LF, and
// blank lines may follow the last region. Anything else (a blank line before the end, a second
// page, a rotated region, the newer "bounds:" layout, a number that is not one) is refused, and
// the refusal names the line.

#include <string>
#include <vector>

struct AtlasRegionEntry {
    std::string name;
    int x = 0, y = 0, width = 0, height = 0;
};

struct AtlasDescription {
    std::vector<AtlasRegionEntry> regions;  // in file order; a later duplicate wins
    int pageWidth = 0, pageHeight = 0;      // from a "size:" header line; 0 without one
    int pageSizeLine = 0;                   // the 1-based line that said so
    std::string error;                      // empty when every line was read
};

// Reads a whole description, header included, from its lines as the stream reader gives them.
// On an error the regions are empty and error reads like: line 5 "repeat:none": expected ...
AtlasDescription ReadAtlasDescription(const std::vector<std::string>& lines);
