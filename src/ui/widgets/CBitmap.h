// PNG images loaded by resource name from the plug-in bundle's Resources folder. A picture
// twice the size named "<name>_2x.png" beside "<name>.png" is drawn instead where the window
// has more than 1.25 physical pixels per pixel (HiDPI, or an enlarged editor), so the image
// stays sharp there.
// UI thread only; not real-time safe (loading reads a file).
#pragma once

#include "ui/widgets/CBaseObject.h"
#include "ui/widgets/CGeometry.h"

#include "ui/widgets/NativeGraphics.h"

namespace VSTGUI {

class CDrawContext;

class CResourceDescription
{
public:
    CResourceDescription(UTF8StringPtr name) : name(name ? name : "") {}
    const UTF8String& getName() const { return name; }

private:
    UTF8String name;
};

class CBitmap : public CBaseObject
{
public:
    // An image that cannot be found or decoded counts as 0 x 0 pixels and draws nothing.
    explicit CBitmap(const CResourceDescription& description);
    // Wraps an existing image (cairo: takes a reference of its own; GDI+: copies it).
    explicit CBitmap(NativeImage* image);
    ~CBitmap() override;

    CCoord getWidth() const { return width; }
    CCoord getHeight() const { return height; }
    bool isLoaded() const { return surface != nullptr; }
    bool hasDoubleResolution() const { return surface2x != nullptr; }
    const CResourceDescription& getResourceDescription() const { return description; }
    NativeImage* getSurface() const { return surface; }

    // Draws the image part that starts at `offset` into `rect`, unscaled, clipped to `rect`.
    void draw(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint(0, 0),
              float alpha = 1.f);

private:
    CResourceDescription description;
    NativeImage* surface = nullptr;
    NativeImage* surface2x = nullptr;   // the same picture at twice the size, or null
    CCoord width = 0;
    CCoord height = 0;
};

// Where bitmaps are looked up. By default the Resources folder of the bundle that holds this
// code (<bundle>/Contents/Resources next to <bundle>/Contents/<arch>/<module>, from the
// platform layer's module path); tests and tools may point it elsewhere. UI thread.
void setResourceFolder(const UTF8String& folder);
UTF8String getResourceFolder();

}  // namespace VSTGUI
