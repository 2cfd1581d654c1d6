#include "ui/widgets/CDrawContext.h"

#include "platform/Text.h"

#include <cairo.h>
#include <dlfcn.h>
#include <pango/pangocairo.h>

#include <cmath>

namespace VSTGUI {

// Pango on the cairo context: fonts through fontconfig, which falls back to any installed
// font that has the characters the asked font lacks.
struct CDrawContext::TextEngine
{
    PangoContext* context = nullptr;
    // The metrics of the font last asked for (loading them is not cheap).
    UTF8String metricsFont;
    double metricsSize = 0;
    int32_t metricsStyle = -1;
    double ascent = 0;
    double descent = 0;

    ~TextEngine()
    {
        if (context)
            g_object_unref(context);
    }
};

namespace {

// Pango registers its object types with GObject, which stays loaded for the life of the
// process, and keeps fonts in a per-thread cache: a host that unloads the plug-in and loads it
// again must still find the code behind both, so the text libraries stay loaded once used.
void keepTextLibrariesLoaded()
{
    static const bool pinned = [] {
        for (const char* name : {"libpangocairo-1.0.so.0", "libpangoft2-1.0.so.0", "libpango-1.0.so.0",
                                 "libharfbuzz.so.0", "libfontconfig.so.1", "libfreetype.so.6",
                                 "libcairo.so.2"})
            dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
        return true;
    }();
    (void)pinned;
}

PangoFontDescription* describe(const CFontDesc* font)
{
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, font->getName().c_str());
    pango_font_description_set_absolute_size(description, font->getSize() * PANGO_SCALE);
    pango_font_description_set_weight(description, (font->getStyle() & kBoldFace) ? PANGO_WEIGHT_BOLD
                                                                                  : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(description, (font->getStyle() & kItalicFace) ? PANGO_STYLE_ITALIC
                                                                                   : PANGO_STYLE_NORMAL);
    return description;
}

// A one-line layout of `text` (made valid UTF-8) in `font`; the caller unrefs it.
PangoLayout* layoutOf(PangoContext* context, const CFontDesc* font, UTF8StringPtr text)
{
    PangoLayout* layout = pango_layout_new(context);
    PangoFontDescription* description = describe(font);
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
    pango_layout_set_single_paragraph_mode(layout, TRUE);
    const std::string safe = Steinberg::Vst::validUtf8(text ? text : "");
    pango_layout_set_text(layout, safe.data(), int(safe.size()));
    return layout;
}

double logicalWidth(PangoLayout* layout)
{
    PangoRectangle logical{};
    pango_layout_get_extents(layout, nullptr, &logical);
    return double(logical.width) / PANGO_SCALE;
}

}  // namespace

const CLineStyle kLineSolid{};
const CLineStyle kLineOnOffDash{CLineStyle::kLineCapButt, {1.0, 1.0}};

CDrawContext::CDrawContext(NativeGraphics* graphics) : graphics(graphics)
{
    state.font = kSystemFont;
    cairo_save(graphics);
}

CDrawContext::~CDrawContext()
{
    while (!savedStates.empty())
        restoreGlobalState();
    cairo_restore(graphics);
}

CDrawContext::TextEngine& CDrawContext::textEngine()
{
    if (!text) {
        keepTextLibrariesLoaded();
        text = std::make_unique<TextEngine>();
        text->context = pango_font_map_create_context(pango_cairo_font_map_get_default());
    }
    // The layout follows the context's current transform (scale, translation).
    pango_cairo_update_context(graphics, text->context);
    const CFontDesc* font = state.font ? state.font : kSystemFont;
    if (font->getName() != text->metricsFont || font->getSize() != text->metricsSize ||
        font->getStyle() != text->metricsStyle) {
        PangoFontDescription* description = describe(font);
        PangoFontMetrics* metrics = pango_context_get_metrics(text->context, description, nullptr);
        text->ascent = double(pango_font_metrics_get_ascent(metrics)) / PANGO_SCALE;
        text->descent = double(pango_font_metrics_get_descent(metrics)) / PANGO_SCALE;
        pango_font_metrics_unref(metrics);
        pango_font_description_free(description);
        text->metricsFont = font->getName();
        text->metricsSize = font->getSize();
        text->metricsStyle = font->getStyle();
    }
    return *text;
}

void CDrawContext::setFont(CFontRef font)
{
    state.font = font ? font : kSystemFont;
}

void CDrawContext::applyColour(const CColor& colour)
{
    cairo_set_source_rgba(graphics, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0,
                          colour.alpha / 255.0 * state.globalAlpha);
}

void CDrawContext::applyLine()
{
    cairo_set_line_width(graphics, state.lineWidth);
    cairo_set_antialias(graphics, state.drawMode.antiAliased() ? CAIRO_ANTIALIAS_DEFAULT
                                                            : CAIRO_ANTIALIAS_NONE);
    static const cairo_line_cap_t caps[] = {CAIRO_LINE_CAP_BUTT, CAIRO_LINE_CAP_ROUND,
                                            CAIRO_LINE_CAP_SQUARE};
    cairo_set_line_cap(graphics, caps[state.lineStyle.getLineCap()]);
    std::vector<double> dashes = state.lineStyle.getDashLengths();
    for (double& dash : dashes)
        dash *= state.lineWidth;
    cairo_set_dash(graphics, dashes.empty() ? nullptr : dashes.data(), int(dashes.size()), 0);
}

CRect CDrawContext::pixelAligned(const CRect& rect) const
{
    if (!state.drawMode.integralMode())
        return rect;
    return CRect(std::round(rect.left), std::round(rect.top), std::round(rect.right),
                 std::round(rect.bottom));
}

void CDrawContext::drawRect(const CRect& rect, CDrawStyle style)
{
    const CRect r = pixelAligned(rect);
    applyLine();
    if (style != kDrawStroked) {
        cairo_rectangle(graphics, r.left, r.top, r.getWidth(), r.getHeight());
        applyColour(state.fillColour);
        cairo_fill(graphics);
    }
    if (style != kDrawFilled) {
        // The outline lies inside the rectangle, so a 1-pixel frame covers its edge pixels.
        const double half = state.lineWidth / 2;
        cairo_rectangle(graphics, r.left + half, r.top + half, r.getWidth() - state.lineWidth,
                        r.getHeight() - state.lineWidth);
        applyColour(state.frameColour);
        cairo_stroke(graphics);
    }
}

void CDrawContext::drawLine(const CPoint& start, const CPoint& end)
{
    applyLine();
    CPoint a = start, b = end;
    if (state.drawMode.integralMode()) {
        // Centre odd-width lines on pixel centres so they stay crisp.
        const double shift = std::fmod(state.lineWidth, 2.0) == 1.0 ? 0.5 : 0.0;
        a = {std::round(a.x) + shift, std::round(a.y) + shift};
        b = {std::round(b.x) + shift, std::round(b.y) + shift};
    }
    cairo_move_to(graphics, a.x, a.y);
    cairo_line_to(graphics, b.x, b.y);
    applyColour(state.frameColour);
    cairo_stroke(graphics);
}

void CDrawContext::drawEllipse(const CRect& rect, CDrawStyle style)
{
    const CRect r = pixelAligned(rect);
    if (r.isEmpty())
        return;
    applyLine();
    cairo_save(graphics);
    cairo_translate(graphics, r.left + r.getWidth() / 2, r.top + r.getHeight() / 2);
    cairo_scale(graphics, r.getWidth() / 2, r.getHeight() / 2);
    cairo_arc(graphics, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(graphics);
    if (style != kDrawStroked) {
        applyColour(state.fillColour);
        style == kDrawFilled ? cairo_fill(graphics) : cairo_fill_preserve(graphics);
    }
    if (style != kDrawFilled) {
        applyColour(state.frameColour);
        cairo_stroke(graphics);
    }
}

CCoord CDrawContext::getStringWidth(UTF8StringPtr string)
{
    if (!string || !*string)
        return 0;
    TextEngine& engine = textEngine();
    PangoLayout* layout = layoutOf(engine.context, state.font ? state.font : kSystemFont, string);
    const double width = logicalWidth(layout);
    g_object_unref(layout);
    return width;
}

CCoord CDrawContext::getFontHeight()
{
    const TextEngine& engine = textEngine();
    return engine.ascent + engine.descent;
}

void CDrawContext::drawString(UTF8StringPtr string, const CRect& rect, CHoriTxtAlign align,
                              bool antialias)
{
    if (!string || !*string || rect.isEmpty())
        return;
    TextEngine& engine = textEngine();
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, antialias ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
    pango_cairo_context_set_font_options(engine.context, options);
    cairo_font_options_destroy(options);
    PangoLayout* layout = layoutOf(engine.context, state.font ? state.font : kSystemFont, string);
    const double width = logicalWidth(layout);

    double x = rect.left;
    if (align == kCenterText)
        x = rect.left + (rect.getWidth() - width) / 2;
    else if (align == kRightText)
        x = rect.right - width;
    // The asked font's baseline, so rows line up whatever fallback fonts a text needs.
    const double baseline = std::round(rect.top + (rect.getHeight() + engine.ascent - engine.descent) / 2);

    cairo_save(graphics);
    cairo_rectangle(graphics, rect.left, rect.top, rect.getWidth(), rect.getHeight());
    cairo_clip(graphics);
    applyColour(state.fontColour);
    cairo_move_to(graphics, std::round(x), baseline - double(pango_layout_get_baseline(layout)) / PANGO_SCALE);
    pango_cairo_show_layout(graphics, layout);
    cairo_restore(graphics);
    g_object_unref(layout);
}

void CDrawContext::saveGlobalState()
{
    savedStates.push_back(state);
    cairo_save(graphics);
}

void CDrawContext::restoreGlobalState()
{
    if (savedStates.empty())
        return;
    state = savedStates.back();
    savedStates.pop_back();
    cairo_restore(graphics);
}

void CDrawContext::clipRect(const CRect& rect)
{
    cairo_rectangle(graphics, rect.left, rect.top, rect.getWidth(), rect.getHeight());
    cairo_clip(graphics);
}

void CDrawContext::translate(CCoord dx, CCoord dy)
{
    cairo_translate(graphics, dx, dy);
}

}  // namespace VSTGUI
