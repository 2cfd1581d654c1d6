#include "ui/CDrawContext.h"

#include <cairo.h>

#include <cmath>

namespace VSTGUI {

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

void CDrawContext::applyFont()
{
    const CFontDesc* font = state.font ? state.font : kSystemFont;
    cairo_select_font_face(graphics, font->getName().c_str(),
                           (font->getStyle() & kItalicFace) ? CAIRO_FONT_SLANT_ITALIC
                                                            : CAIRO_FONT_SLANT_NORMAL,
                           (font->getStyle() & kBoldFace) ? CAIRO_FONT_WEIGHT_BOLD
                                                          : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(graphics, font->getSize());
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

CCoord CDrawContext::getStringWidth(UTF8StringPtr text)
{
    if (!text || !*text)
        return 0;
    applyFont();
    cairo_text_extents_t extents;
    cairo_text_extents(graphics, text, &extents);
    return extents.x_advance;
}

CCoord CDrawContext::getFontHeight()
{
    applyFont();
    cairo_font_extents_t extents;
    cairo_font_extents(graphics, &extents);
    return extents.ascent + extents.descent;
}

void CDrawContext::drawString(UTF8StringPtr text, const CRect& rect, CHoriTxtAlign align,
                              bool antialias)
{
    if (!text || !*text || rect.isEmpty())
        return;
    applyFont();
    cairo_font_extents_t font;
    cairo_font_extents(graphics, &font);
    cairo_text_extents_t extents;
    cairo_text_extents(graphics, text, &extents);

    double x = rect.left;
    if (align == kCenterText)
        x = rect.left + (rect.getWidth() - extents.x_advance) / 2;
    else if (align == kRightText)
        x = rect.right - extents.x_advance;
    const double baseline =
        rect.top + (rect.getHeight() + font.ascent - font.descent) / 2;

    cairo_save(graphics);
    cairo_rectangle(graphics, rect.left, rect.top, rect.getWidth(), rect.getHeight());
    cairo_clip(graphics);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, antialias ? CAIRO_ANTIALIAS_GRAY
                                                        : CAIRO_ANTIALIAS_NONE);
    cairo_set_font_options(graphics, options);
    cairo_font_options_destroy(options);
    applyColour(state.fontColour);
    cairo_move_to(graphics, std::round(x), std::round(baseline));
    cairo_show_text(graphics, text);
    cairo_restore(graphics);
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
