// Off-screen drawing on GDI+ (Windows): a premultiplied 32-bit bitmap, PNG files through the
// system's PNG encoder.
#include "ui/widgets/OffscreenImage.h"

#include "ui/widgets/CFrame.h"
#include "ui/win32/Win32Gdiplus.h"

#include <windows.h>
#include <gdiplus.h>

#include <cmath>
#include <vector>

namespace VSTGUI {

namespace {
bool pngEncoder(CLSID& clsid)
{
    UINT count = 0, bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0)
        return false;
    std::vector<unsigned char> buffer(bytes);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, encoders) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i) {
        if (encoders[i].MimeType && std::wstring(encoders[i].MimeType) == L"image/png") {
            clsid = encoders[i].Clsid;
            return true;
        }
    }
    return false;
}
}  // namespace

OffscreenImage OffscreenImage::render(CFrame& frame, double scale)
{
    if (!ensureGdiplus())
        return OffscreenImage(nullptr);
    if (!(scale > 0 && scale <= 8))
        scale = 1;
    const int width = int(std::ceil(frame.getWidth() * scale));
    const int height = int(std::ceil(frame.getHeight() * scale));
    auto* image = new Gdiplus::Bitmap(width > 0 ? width : 1, height > 0 ? height : 1,
                                      PixelFormat32bppPARGB);
    {
        Gdiplus::Graphics graphics(image);
        graphics.Clear(Gdiplus::Color(0, 0, 0, 0));
        graphics.ScaleTransform(Gdiplus::REAL(scale), Gdiplus::REAL(scale));
        frame.platformDrawRect(&graphics, CRect(0, 0, frame.getWidth(), frame.getHeight()));
    }
    return OffscreenImage(image);
}

OffscreenImage::OffscreenImage(OffscreenImage&& other) noexcept : surface(other.surface)
{
    other.surface = nullptr;
}

OffscreenImage::~OffscreenImage()
{
    delete surface;
}

int OffscreenImage::getWidth() const
{
    return surface ? int(surface->GetWidth()) : 0;
}

int OffscreenImage::getHeight() const
{
    return surface ? int(surface->GetHeight()) : 0;
}

CColor OffscreenImage::getPixel(int x, int y) const
{
    if (!surface || x < 0 || y < 0 || x >= getWidth() || y >= getHeight())
        return kTransparentCColor;
    // Read the premultiplied value and undo the premultiplication the way the cairo back end
    // does, so both report the same colours.
    Gdiplus::BitmapData data{};
    Gdiplus::Rect one(x, y, 1, 1);
    if (surface->LockBits(&one, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &data) != Gdiplus::Ok)
        return kTransparentCColor;
    const uint32_t argb = *static_cast<const uint32_t*>(data.Scan0);
    surface->UnlockBits(&data);
    const uint8_t a = uint8_t(argb >> 24);
    if (a == 0)
        return CColor(0, 0, 0, 0);
    auto channel = [a](uint32_t value) { return uint8_t(std::min<uint32_t>(255, (value * 255 + a / 2) / a)); };
    return CColor(channel((argb >> 16) & 0xFF), channel((argb >> 8) & 0xFF), channel(argb & 0xFF), a);
}

bool OffscreenImage::writePng(const std::string& path) const
{
    CLSID png;
    if (!surface || !pngEncoder(png))
        return false;
    const std::wstring wide = toWide(path);
    return !wide.empty() && surface->Save(wide.c_str(), &png, nullptr) == Gdiplus::Ok;
}

}  // namespace VSTGUI
