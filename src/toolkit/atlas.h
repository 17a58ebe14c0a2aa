#pragma once
// The texture atlas: one page image with named rectangles on it, and the two drawables cut from
// a region: a single picture and a strip of equal frames. Neither copies pixels; both draw
// straight from the shared page.

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/render2d.h"

class AtlasFileClass {
  public:
    std::vector<std::unique_ptr<TImage>> sourceImage;
    // Region name -> page index, x, y, width, height.
    std::map<std::string, std::array<int, 5>> eachImage;

    virtual ~AtlasFileClass();
    // Reads the embedded description and page; ends the program when they cannot be read.
    // atlasPath is not used; fileName only names the file in the failure message.
    virtual void LoadFile(const std::string& atlasPath, const std::string& fileName, int filtered);
    // The region's left edge on its page, in pixels; 0 for a name not in the table.
    virtual int GetEachImageX(const std::string& name);
    // The region's top edge on its page, in pixels; 0 for a name not in the table.
    virtual int GetEachImageY(const std::string& name);
    // The region's width in pixels; 0 for a name not in the table.
    virtual int GetEachImageWidth(const std::string& name);
    // The region's height in pixels; 0 for a name not in the table.
    virtual int GetEachImageHeight(const std::string& name);
    // The page the region lies on; null for a name not in the table.
    virtual TImage* GetEachImageSource(const std::string& name);
    // 0 when the region exists; otherwise the program ends with the missing region's name.
    virtual int GetEachImageExists(const std::string& name);

    // Reads a whole description (header included) for the given page, whose size a "size:"
    // header line must match when the page is loaded; later duplicates win. Returns what could
    // not be read, naming the line, and then adds no region at all; empty on success.
    std::string ParseDescription(const std::vector<std::string>& lines, int page);
};

extern std::unique_ptr<AtlasFileClass> atlasFile;

class AtlasImage {
  public:
    TImage* srcImage = nullptr;
    int srcWidth = 0, srcHeight = 0;
    int srcX = 0, srcY = 0;
    int handleX = 0, handleY = 0;
    int padding = 0;

    virtual ~AtlasImage() = default;
    // Takes the region's rectangle less `pad` on every side; ends the program for a name not in
    // the table.
    virtual void LoadImage(const std::string& name, int pad);
    // Leaves the transform at no rotation and unit scale.
    virtual void Render(float x, float y, int rotation, float scaleX, float scaleY);
    // Render stretched to width x height pixels.
    virtual void RenderSize(float x, float y, int width, int height, int rotation);
    // Draws from the picture's centre instead of its top-left corner.
    virtual void MidHandle();
    // The drawn width plus the padding once (as the game has always measured it).
    virtual int Width() { return srcWidth + padding; }
    // The drawn height plus the padding once.
    virtual int Height() { return srcHeight + padding; }
};

class AtlasTile {
  public:
    std::map<std::string, std::array<int, 2>> frameData;
    std::vector<std::string> frameList;
    int frameWidth = 0, frameHeight = 0;
    int frameCount = 0;
    TImage* srcImage = nullptr;
    int srcWidth = 0, srcHeight = 0, srcX = 0, srcY = 0;
    int padding = 0;
    int midhandled = 0;

    virtual ~AtlasTile() = default;
    // Cuts count frames row by row from cells of the given size, trimming pad on every side.
    virtual void LoadTiles(const std::string& name, int cellWidth, int cellHeight, int count,
                           int pad);
    // Ends the program for a frame outside 0 .. Count() - 1. Leaves the transform reset.
    virtual void Render(float x, float y, int frame, int rotation, float scaleX, float scaleY);
    // Render stretched to width x height pixels.
    virtual void RenderSize(float x, float y, int frame, int width, int height, int rotation);
    // Frames are drawn from their centre instead of their top-left corner.
    virtual void MidHandle() { midhandled = 1; }
    // A frame's drawn width: the cell less twice the padding.
    virtual int Width() { return frameWidth; }
    // A frame's drawn height: the cell less twice the padding.
    virtual int Height() { return frameHeight; }
    // The frames cut.
    virtual int Count() { return frameCount; }

  private:
    std::vector<std::array<int, 2>> corners_;  // frameData in frame order, for drawing
};

std::unique_ptr<AtlasImage> CreateAtlasImage(const std::string& name, int padding);
std::unique_ptr<AtlasTile> CreateAtlasTile(const std::string& name, int cellWidth, int cellHeight,
                                           int count, int padding);
