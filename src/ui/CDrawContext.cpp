#include "ui/CDrawContext.h"

#include <cairo.h>

#include <cmath>

namespace VSTGUI {

const CLineStyle kLineSolid{};
const CLineStyle kLineOnOffDash{CLineStyle::kLineCapButt, {1.0, 1.0}};

CDrawContext::CDrawContext(cairo_t* cairo) : cairo(cairo)
{
    state.font = kSystemFont;
    cairo_save(cairo);
}

CDrawContext::~CDrawContext()
{
    while (!savedStates.empty())
        restoreGlobalState();
    cairo_restore(cairo);
}

void CDrawContext::setFont(CFontRef font)
{
    state.font = font ? font : kSystemFont;
}

void CDrawContext::applyColour(const CColor& colour)
{
    cairo_set_source_rgba(cairo, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0,
                          colour.alpha / 255.0 * state.globalAlpha);
}

void CDrawContext::applyLine()
{
    cairo_set_line_width(cairo, state.lineWidth);
    cairo_set_antialias(cairo, state.drawMode.antiAliased() ? CAIRO_ANTIALIAS_DEFAULT
                                                            : CAIRO_ANTIALIAS_NONE);
    static const cairo_line_cap_t caps[] = {CAIRO_LINE_CAP_BUTT, CAIRO_LINE_CAP_ROUND,
                                            CAIRO_LINE_CAP_SQUARE};
    cairo_set_line_cap(cairo, caps[state.lineStyle.getLineCap()]);
    std::vector<double> dashes = state.lineStyle.getDashLengths();
    for (double& dash : dashes)
        dash *= state.lineWidth;
    cairo_set_dash(cairo, dashes.empty() ? nullptr : dashes.data(), int(dashes.size()), 0);
}

void CDrawContext::applyFont()
{
    const CFontDesc* font = state.font ? state.font : kSystemFont;
    cairo_select_font_face(cairo, font->getName().c_str(),
                           (font->getStyle() & kItalicFace) ? CAIRO_FONT_SLANT_ITALIC
                                                            : CAIRO_FONT_SLANT_NORMAL,
                           (font->getStyle() & kBoldFace) ? CAIRO_FONT_WEIGHT_BOLD
                                                          : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cairo, font->getSize());
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
        cairo_rectangle(cairo, r.left, r.top, r.getWidth(), r.getHeight());
        applyColour(state.fillColour);
        cairo_fill(cairo);
    }
    if (style != kDrawFilled) {
        // The outline lies inside the rectangle, so a 1-pixel frame covers its edge pixels.
        const double half = state.lineWidth / 2;
        cairo_rectangle(cairo, r.left + half, r.top + half, r.getWidth() - state.lineWidth,
                        r.getHeight() - state.lineWidth);
        applyColour(state.frameColour);
        cairo_stroke(cairo);
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
    cairo_move_to(cairo, a.x, a.y);
    cairo_line_to(cairo, b.x, b.y);
    applyColour(state.frameColour);
    cairo_stroke(cairo);
}

void CDrawContext::drawEllipse(const CRect& rect, CDrawStyle style)
{
    const CRect r = pixelAligned(rect);
    if (r.isEmpty())
        return;
    applyLine();
    cairo_save(cairo);
    cairo_translate(cairo, r.left + r.getWidth() / 2, r.top + r.getHeight() / 2);
    cairo_scale(cairo, r.getWidth() / 2, r.getHeight() / 2);
    cairo_arc(cairo, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cairo);
    if (style != kDrawStroked) {
        applyColour(state.fillColour);
        style == kDrawFilled ? cairo_fill(cairo) : cairo_fill_preserve(cairo);
    }
    if (style != kDrawFilled) {
        applyColour(state.frameColour);
        cairo_stroke(cairo);
    }
}

CCoord CDrawContext::getStringWidth(UTF8StringPtr text)
{
    if (!text || !*text)
        return 0;
    applyFont();
    cairo_text_extents_t extents;
    cairo_text_extents(cairo, text, &extents);
    return extents.x_advance;
}

CCoord CDrawContext::getFontHeight()
{
    applyFont();
    cairo_font_extents_t extents;
    cairo_font_extents(cairo, &extents);
    return extents.ascent + extents.descent;
}

void CDrawContext::drawString(UTF8StringPtr text, const CRect& rect, CHoriTxtAlign align,
                              bool antialias)
{
    if (!text || !*text || rect.isEmpty())
        return;
    applyFont();
    cairo_font_extents_t font;
    cairo_font_extents(cairo, &font);
    cairo_text_extents_t extents;
    cairo_text_extents(cairo, text, &extents);

    double x = rect.left;
    if (align == kCenterText)
        x = rect.left + (rect.getWidth() - extents.x_advance) / 2;
    else if (align == kRightText)
        x = rect.right - extents.x_advance;
    const double baseline =
        rect.top + (rect.getHeight() + font.ascent - font.descent) / 2;

    cairo_save(cairo);
    cairo_rectangle(cairo, rect.left, rect.top, rect.getWidth(), rect.getHeight());
    cairo_clip(cairo);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, antialias ? CAIRO_ANTIALIAS_GRAY
                                                        : CAIRO_ANTIALIAS_NONE);
    cairo_set_font_options(cairo, options);
    cairo_font_options_destroy(options);
    applyColour(state.fontColour);
    cairo_move_to(cairo, std::round(x), std::round(baseline));
    cairo_show_text(cairo, text);
    cairo_restore(cairo);
}

void CDrawContext::saveGlobalState()
{
    savedStates.push_back(state);
    cairo_save(cairo);
}

void CDrawContext::restoreGlobalState()
{
    if (savedStates.empty())
        return;
    state = savedStates.back();
    savedStates.pop_back();
    cairo_restore(cairo);
}

void CDrawContext::clipRect(const CRect& rect)
{
    cairo_rectangle(cairo, rect.left, rect.top, rect.getWidth(), rect.getHeight());
    cairo_clip(cairo);
}

void CDrawContext::translate(CCoord dx, CCoord dy)
{
    cairo_translate(cairo, dx, dy);
}

}  // namespace VSTGUI
