#include "toolkit/atlas.h"

#include <climits>

#include "engine/render2d.h"
#include "engine/stream.h"
#include "engine/system.h"
#include "engine/text.h"
#include "toolkit/atlas_description.h"

std::unique_ptr<AtlasFileClass> atlasFile;

namespace {
const char kDescription[] = "incbin::../assets/images/atlas0.txt";
const char kPage[] = "incbin::../assets/images/atlas0.png";

[[noreturn]] void Fail(const std::string& text) {
    Notify(text, 0);
    End();
}

// A sum or product of region numbers, or nothing when it leaves the int range: a description
// with numbers that large cannot describe a real page, and must not overflow.
bool FitsInt(long long v) {
    return v >= INT_MIN && v <= INT_MAX;
}

[[noreturn]] void BadRegion(const std::string& name) {
    Fail(" Unable to load atlas image \"" + name + "\"");
}

}  // namespace

AtlasFileClass::~AtlasFileClass() = default;

void AtlasFileClass::LoadFile(const std::string&, const std::string& fileName, int filtered) {
    const std::string failure = " Unable to load atlas file \"" + fileName + "\"";
    std::unique_ptr<TStream> in = ReadStream(kDescription);
    if (!in) Fail(failure);
    std::vector<std::string> lines;
    while (!in->Eof()) lines.push_back(in->ReadLine());
    in->Close();
    std::unique_ptr<TImage> page = ::LoadImage(kPage, filtered ? 15 : 9);
    // Without its page the atlas has nothing to draw: as fatal as a missing description.
    if (!page) Fail(failure);
    sourceImage.push_back(std::move(page));
    const std::string error = ParseDescription(lines, static_cast<int>(sourceImage.size()) - 1);
    if (!error.empty()) Fail(failure + ": " + error);
}

std::string AtlasFileClass::ParseDescription(const std::vector<std::string>& lines, int page) {
    AtlasDescription description = ReadAtlasDescription(lines);
    if (!description.error.empty()) return description.error;
    const TImage* image = page >= 0 && page < static_cast<int>(sourceImage.size())
                              ? sourceImage[page].get()
                              : nullptr;
    if (image && description.pageWidth > 0 &&
        (description.pageWidth != image->width || description.pageHeight != image->height))
        return "line " + std::to_string(description.pageSizeLine) + " gives the page's size as " +
               std::to_string(description.pageWidth) + " x " +
               std::to_string(description.pageHeight) + ", but it is " +
               std::to_string(image->width) + " x " + std::to_string(image->height);
    for (const AtlasRegionEntry& r : description.regions)
        eachImage[r.name] = {page, r.x, r.y, r.width, r.height};
    return {};
}

int AtlasFileClass::GetEachImageX(const std::string& name) {
    auto it = eachImage.find(name);
    return it == eachImage.end() ? 0 : it->second[1];
}

int AtlasFileClass::GetEachImageY(const std::string& name) {
    auto it = eachImage.find(name);
    return it == eachImage.end() ? 0 : it->second[2];
}

int AtlasFileClass::GetEachImageWidth(const std::string& name) {
    auto it = eachImage.find(name);
    return it == eachImage.end() ? 0 : it->second[3];
}

int AtlasFileClass::GetEachImageHeight(const std::string& name) {
    auto it = eachImage.find(name);
    return it == eachImage.end() ? 0 : it->second[4];
}

TImage* AtlasFileClass::GetEachImageSource(const std::string& name) {
    auto it = eachImage.find(name);
    if (it == eachImage.end()) return nullptr;
    int page = it->second[0];
    if (page < 0 || page >= static_cast<int>(sourceImage.size())) return nullptr;
    return sourceImage[static_cast<std::size_t>(page)].get();
}

int AtlasFileClass::GetEachImageExists(const std::string& name) {
    if (eachImage.find(name) == eachImage.end())
        Fail(" Unable to load atlas image \"" + name + "\"");
    return 0;
}

void AtlasImage::LoadImage(const std::string& name, int pad) {
    padding = pad;
    atlasFile->GetEachImageExists(name);
    const long long x = static_cast<long long>(atlasFile->GetEachImageX(name)) + pad;
    const long long y = static_cast<long long>(atlasFile->GetEachImageY(name)) + pad;
    const long long w = static_cast<long long>(atlasFile->GetEachImageWidth(name)) - 2LL * pad;
    const long long h = static_cast<long long>(atlasFile->GetEachImageHeight(name)) - 2LL * pad;
    if (!FitsInt(x) || !FitsInt(y) || !FitsInt(w) || !FitsInt(h)) BadRegion(name);
    srcX = static_cast<int>(x);
    srcY = static_cast<int>(y);
    srcWidth = static_cast<int>(w);
    srcHeight = static_cast<int>(h);
    srcImage = atlasFile->GetEachImageSource(name);
}

void AtlasImage::Render(float x, float y, int rotation, float scaleX, float scaleY) {
    SetTransform(float(rotation), scaleX, scaleY);
    if (srcImage)
        DrawSubImageRect(*srcImage, x, y, float(srcWidth), float(srcHeight), float(srcX),
                         float(srcY), float(srcWidth), float(srcHeight), float(handleX),
                         float(handleY), 0);
    SetTransform(0, 1, 1);
}

void AtlasImage::RenderSize(float x, float y, int width, int height, int rotation) {
    float sx = srcWidth != 0 ? float(width) / float(srcWidth) : 1.0f;
    float sy = srcHeight != 0 ? float(height) / float(srcHeight) : 1.0f;
    Render(x, y, rotation, sx, sy);
}

void AtlasImage::MidHandle() {
    handleX = srcWidth / 2;
    handleY = srcHeight / 2;
}

void AtlasTile::LoadTiles(const std::string& name, int cellWidth, int cellHeight, int count,
                          int pad) {
    atlasFile->GetEachImageExists(name);
    srcX = atlasFile->GetEachImageX(name);
    srcY = atlasFile->GetEachImageY(name);
    srcWidth = atlasFile->GetEachImageWidth(name);
    srcHeight = atlasFile->GetEachImageHeight(name);
    srcImage = atlasFile->GetEachImageSource(name);
    padding = pad;
    const long long frameW = static_cast<long long>(cellWidth) - 2LL * pad;
    const long long frameH = static_cast<long long>(cellHeight) - 2LL * pad;
    if (!FitsInt(frameW) || !FitsInt(frameH)) BadRegion(name);
    frameWidth = static_cast<int>(frameW);
    frameHeight = static_cast<int>(frameH);
    frameCount = count;
    // A cell of no size, or a region of none, holds no frames (and must not divide by zero).
    const long long columns = cellWidth > 0 && srcWidth > 0 ? srcWidth / cellWidth : 0;
    const long long rows = cellHeight > 0 && srcHeight > 0 ? srcHeight / cellHeight : 0;
    if (count > columns * rows) Fail("Not enough tiles/frames in soruce image");
    frameData.clear();
    frameList.clear();
    corners_.clear();
    for (int n = 0; n < frameCount; ++n) {
        const long long column = n % columns, row = n / columns;
        const long long x = srcX + column * cellWidth + pad, y = srcY + row * cellHeight + pad;
        if (!FitsInt(x) || !FitsInt(y)) BadRegion(name);
        std::array<int, 2> corner = {static_cast<int>(x), static_cast<int>(y)};
        std::string key = FromInt(n);
        frameList.push_back(key);
        frameData[key] = corner;
        corners_.push_back(corner);
    }
}

void AtlasTile::Render(float x, float y, int frame, int rotation, float scaleX, float scaleY) {
    if (frame >= Count()) Fail(" Tile frame out of bounds, not enough frames");
    if (frame < 0) Fail(" Tile frame out of bounds, frame cannot be < 0");
    // The same corner as frameData[frameList[frame]], without building a key per draw.
    const std::array<int, 2>& corner = corners_[static_cast<std::size_t>(frame)];
    SetTransform(float(rotation), scaleX, scaleY);
    float hx = midhandled == 1 ? float(frameWidth / 2) : 0;
    float hy = midhandled == 1 ? float(frameHeight / 2) : 0;
    if (srcImage)
        DrawSubImageRect(*srcImage, x, y, float(frameWidth), float(frameHeight), float(corner[0]),
                         float(corner[1]), float(frameWidth), float(frameHeight), hx, hy, 0);
    SetTransform(0, 1, 1);
}

void AtlasTile::RenderSize(float x, float y, int frame, int width, int height, int rotation) {
    float sx = frameWidth != 0 ? float(width) / float(frameWidth) : 1.0f;
    float sy = frameHeight != 0 ? float(height) / float(frameHeight) : 1.0f;
    Render(x, y, frame, rotation, sx, sy);
}

std::unique_ptr<AtlasImage> CreateAtlasImage(const std::string& name, int padding) {
    auto image = std::make_unique<AtlasImage>();
    image->LoadImage(name, padding);
    return image;
}

std::unique_ptr<AtlasTile> CreateAtlasTile(const std::string& name, int cellWidth, int cellHeight,
                                           int count, int padding) {
    auto tile = std::make_unique<AtlasTile>();
    tile->LoadTiles(name, cellWidth, cellHeight, count, padding);
    return tile;
}
