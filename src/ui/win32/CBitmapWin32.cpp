// Bitmaps on GDI+ (Windows): PNG files from the bundle's Resources folder, decoded by GDI+
// into premultiplied 32-bit images that no longer hold the file open.
#include "ui/widgets/CBitmap.h"

#include "ui/widgets/CDrawContext.h"
#include "ui/win32/Win32Gdiplus.h"

#include "platform/ModulePath.h"

#include <windows.h>
#include <gdiplus.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace VSTGUI {

namespace {

UTF8String& configuredFolder()
{
    static UTF8String folder;  // empty: derive from the module's own path
    return folder;
}

// Names are plain file names: a path separator or a parent reference is refused.
bool isPlainName(const UTF8String& name)
{
    return !name.empty() && name.find_first_of("/\\:") == UTF8String::npos && name != "." &&
           name != "..";
}

// A copy in memory, so the file is closed at once (a GDI+ image from a file keeps it open).
Gdiplus::Bitmap* copyOf(Gdiplus::Bitmap& source)
{
    const UINT width = source.GetWidth();
    const UINT height = source.GetHeight();
    if (width == 0 || height == 0)
        return nullptr;
    auto copy = std::make_unique<Gdiplus::Bitmap>(INT(width), INT(height), PixelFormat32bppPARGB);
    if (copy->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    Gdiplus::Graphics graphics(copy.get());
    graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    graphics.DrawImage(&source, 0, 0, INT(width), INT(height));
    return copy.release();
}

Gdiplus::Bitmap* loadPng(const UTF8String& path)
{
    const std::wstring wide = toWide(path);
    if (wide.empty())
        return nullptr;
    Gdiplus::Bitmap file(wide.c_str());
    if (file.GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    return copyOf(file);
}

}  // namespace

void setResourceFolder(const UTF8String& folder)
{
    configuredFolder() = folder;
}

UTF8String getResourceFolder()
{
    return configuredFolder().empty() ? Steinberg::Vst::moduleResourceFolder() : configuredFolder();
}

CBitmap::CBitmap(const CResourceDescription& description) : description(description)
{
    if (!isPlainName(description.getName()) || !ensureGdiplus())
        return;
    UTF8String folder = getResourceFolder();
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\')
        folder += '\\';
    const UTF8String path = folder + description.getName();
    surface = loadPng(path);
    if (!surface)
        return;
    width = surface->GetWidth();
    height = surface->GetHeight();

    // The HiDPI picture counts only when it is exactly twice the size.
    const size_t dot = path.rfind('.');
    if (dot == UTF8String::npos || dot < folder.size())
        return;
    Gdiplus::Bitmap* loaded2x = loadPng(path.substr(0, dot) + "_2x" + path.substr(dot));
    if (loaded2x && loaded2x->GetWidth() == UINT(2 * width) && loaded2x->GetHeight() == UINT(2 * height))
        surface2x = loaded2x;
    else
        delete loaded2x;
}

CBitmap::CBitmap(NativeImage* source) : description("")
{
    if (!source || !ensureGdiplus())
        return;
    surface = copyOf(*source);
    if (!surface)
        return;
    width = surface->GetWidth();
    height = surface->GetHeight();
}

CBitmap::~CBitmap()
{
    delete surface;
    delete surface2x;
}

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& offset, float alpha)
{
    if (!surface || !context || rect.isEmpty())
        return;
    Gdiplus::Graphics* graphics = context->getGraphics();
    const Gdiplus::GraphicsState saved = graphics->Save();
    graphics->IntersectClip(Gdiplus::RectF(Gdiplus::REAL(rect.left), Gdiplus::REAL(rect.top),
                                           Gdiplus::REAL(rect.getWidth()),
                                           Gdiplus::REAL(rect.getHeight())));
    Gdiplus::Matrix transform;
    graphics->GetTransform(&transform);
    Gdiplus::REAL elements[6] = {};
    transform.GetElements(elements);
    const double deviceScale = std::fabs(elements[0]);
    const bool useDouble = surface2x && deviceScale > 1.25;
    Gdiplus::Bitmap* image = useDouble ? surface2x : surface;
    const double density = useDouble ? 2.0 : 1.0;
    // One picture pixel per device pixel draws unfiltered; anything else is smoothed.
    graphics->SetInterpolationMode(std::fabs(deviceScale - density) < 1e-6
                                       ? Gdiplus::InterpolationModeNearestNeighbor
                                       : Gdiplus::InterpolationModeHighQualityBicubic);
    const Gdiplus::RectF destination(Gdiplus::REAL(rect.left - offset.x),
                                     Gdiplus::REAL(rect.top - offset.y), Gdiplus::REAL(width),
                                     Gdiplus::REAL(height));
    const float opacity = std::clamp(alpha * context->getGlobalAlpha(), 0.f, 1.f);
    if (opacity >= 1.f) {
        graphics->DrawImage(image, destination, 0, 0, Gdiplus::REAL(image->GetWidth()),
                            Gdiplus::REAL(image->GetHeight()), Gdiplus::UnitPixel);
    } else {
        Gdiplus::ColorMatrix matrix = {{{1, 0, 0, 0, 0},
                                        {0, 1, 0, 0, 0},
                                        {0, 0, 1, 0, 0},
                                        {0, 0, 0, opacity, 0},
                                        {0, 0, 0, 0, 1}}};
        Gdiplus::ImageAttributes attributes;
        attributes.SetColorMatrix(&matrix);
        graphics->DrawImage(image, destination, 0, 0, Gdiplus::REAL(image->GetWidth()),
                            Gdiplus::REAL(image->GetHeight()), Gdiplus::UnitPixel, &attributes);
    }
    graphics->Restore(saved);
}

}  // namespace VSTGUI
