// Draws a frame off screen into an image of the drawing back end (cairo or GDI+), reads pixels back and writes PNG
// files (tests, documentation screenshots). UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CColor.h"
#include "ui/widgets/CGeometry.h"

#include <string>

#include "ui/widgets/NativeGraphics.h"

namespace VSTGUI {

class CFrame;

class OffscreenImage
{
public:
    // The whole frame at `scale` physical pixels per frame pixel (a blank image on failure).
    static OffscreenImage render(CFrame& frame, double scale = 1.0);

    OffscreenImage(const OffscreenImage&) = delete;
    OffscreenImage& operator=(const OffscreenImage&) = delete;
    OffscreenImage(OffscreenImage&& other) noexcept;
    ~OffscreenImage();

    int getWidth() const;
    int getHeight() const;
    // Un-premultiplied colour at physical pixel (x, y); transparent outside the image.
    CColor getPixel(int x, int y) const;
    bool writePng(const std::string& path) const;
    NativeImage* getSurface() const { return surface; }

private:
    explicit OffscreenImage(NativeImage* surface) : surface(surface) {}
    NativeImage* surface;
};

}  // namespace VSTGUI
