#include "ui/widgets/OffscreenImage.h"

#include "ui/widgets/CFrame.h"

#include <cairo.h>

#include <cmath>

namespace VSTGUI {

OffscreenImage OffscreenImage::render(CFrame& frame, double scale)
{
    if (!(scale > 0 && scale <= 8))
        scale = 1;
    const int width = int(std::ceil(frame.getWidth() * scale));
    const int height = int(std::ceil(frame.getHeight() * scale));
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width > 0 ? width : 1, height > 0 ? height : 1);
    cairo_t* cairo = cairo_create(surface);
    cairo_scale(cairo, scale, scale);
    frame.platformDrawRect(cairo, CRect(0, 0, frame.getWidth(), frame.getHeight()));
    cairo_destroy(cairo);
    cairo_surface_flush(surface);
    return OffscreenImage(surface);
}

OffscreenImage::OffscreenImage(OffscreenImage&& other) noexcept : surface(other.surface)
{
    other.surface = nullptr;
}

OffscreenImage::~OffscreenImage()
{
    if (surface)
        cairo_surface_destroy(surface);
}

int OffscreenImage::getWidth() const
{
    return surface ? cairo_image_surface_get_width(surface) : 0;
}

int OffscreenImage::getHeight() const
{
    return surface ? cairo_image_surface_get_height(surface) : 0;
}

CColor OffscreenImage::getPixel(int x, int y) const
{
    if (!surface || x < 0 || y < 0 || x >= getWidth() || y >= getHeight())
        return kTransparentCColor;
    const unsigned char* row =
        cairo_image_surface_get_data(surface) + size_t(y) * size_t(cairo_image_surface_get_stride(surface));
    const uint32_t argb = reinterpret_cast<const uint32_t*>(row)[x];
    const uint8_t a = uint8_t(argb >> 24);
    if (a == 0)
        return CColor(0, 0, 0, 0);
    auto channel = [a](uint32_t value) { return uint8_t((value * 255 + a / 2) / a); };
    return CColor(channel((argb >> 16) & 0xFF), channel((argb >> 8) & 0xFF), channel(argb & 0xFF), a);
}

bool OffscreenImage::writePng(const std::string& path) const
{
    return surface && cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace VSTGUI
