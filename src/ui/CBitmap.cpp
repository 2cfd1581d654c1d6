#include "ui/CBitmap.h"

#include "ui/CDrawContext.h"

#include "platform/ModulePath.h"

#include <cairo.h>

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
    return !name.empty() && name.find('/') == UTF8String::npos && name != "." && name != "..";
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
    if (!isPlainName(description.getName()))
        return;
    UTF8String folder = getResourceFolder();
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    const UTF8String path = folder + description.getName();
    cairo_surface_t* loaded = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(loaded) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(loaded);
        return;
    }
    surface = loaded;
    width = cairo_image_surface_get_width(surface);
    height = cairo_image_surface_get_height(surface);
}

CBitmap::CBitmap(cairo_surface_t* source) : description("")
{
    if (!source || cairo_surface_status(source) != CAIRO_STATUS_SUCCESS)
        return;
    surface = cairo_surface_reference(source);
    width = cairo_image_surface_get_width(surface);
    height = cairo_image_surface_get_height(surface);
}

CBitmap::~CBitmap()
{
    if (surface)
        cairo_surface_destroy(surface);
}

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& offset, float alpha)
{
    if (!surface || !context || rect.isEmpty())
        return;
    cairo_t* cr = context->getCairo();
    cairo_save(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.getWidth(), rect.getHeight());
    cairo_clip(cr);
    cairo_set_source_surface(cr, surface, rect.left - offset.x, rect.top - offset.y);
    cairo_paint_with_alpha(cr, alpha * context->getGlobalAlpha());
    cairo_restore(cr);
}

}  // namespace VSTGUI
