// The drawing context on GDI+ (Windows). The same model as the cairo one: user units are frame
// pixels, pixel i covers [i, i + 1) (half-pixel offset), outlines lie inside rectangles, text
// sits on a baseline centred in its rectangle. Text falls back, character by character, to an
// installed font that has the characters the asked font lacks (GDI tells which glyphs a font
// has), and is drawn in runs of one font each on the asked font's baseline.
#include "ui/widgets/CDrawContext.h"

#include "platform/Text.h"
#include "ui/win32/Win32Gdiplus.h"

#include <windows.h>
#include <gdiplus.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace VSTGUI {

const CLineStyle kLineSolid{};
const CLineStyle kLineOnOffDash{CLineStyle::kLineCapButt, {1.0, 1.0}};

namespace {

Gdiplus::Color toColor(const CColor& colour, float alpha)
{
    const int a = std::clamp(int(std::lround(colour.alpha * alpha)), 0, 255);
    return Gdiplus::Color(BYTE(a), colour.red, colour.green, colour.blue);
}

Gdiplus::RectF toRectF(const CRect& r)
{
    return Gdiplus::RectF(Gdiplus::REAL(r.left), Gdiplus::REAL(r.top), Gdiplus::REAL(r.getWidth()),
                          Gdiplus::REAL(r.getHeight()));
}

// The font of a description; families that are not installed fall back to the system's
// sans-serif family ("Sans", the Linux default name, has no Windows family of that name).
struct NativeFont
{
    std::unique_ptr<Gdiplus::FontFamily> family;
    std::unique_ptr<Gdiplus::Font> font;
    int style = Gdiplus::FontStyleRegular;
    double size = 12;

    explicit NativeFont(const CFontDesc* desc, const std::wstring& fallbackFamily = {})
    {
        size = desc->getSize();
        if (desc->getStyle() & kBoldFace)
            style |= Gdiplus::FontStyleBold;
        if (desc->getStyle() & kItalicFace)
            style |= Gdiplus::FontStyleItalic;
        // The asked family, else the sans-serif faces Windows (and Wine) ship; a fallback
        // font for characters the asked one lacks is asked for by its own family.
        const std::wstring asked = !fallbackFamily.empty()       ? fallbackFamily
                                   : desc->getName() == "Sans" ? L"Arial"
                                                               : toWide(desc->getName());
        for (const wchar_t* name : {asked.c_str(), L"Arial", L"Segoe UI", L"Tahoma",
                                    L"Microsoft Sans Serif", L"DejaVu Sans", L"Liberation Sans"}) {
            auto candidate = std::make_unique<Gdiplus::FontFamily>(name);
            if (candidate->GetLastStatus() == Gdiplus::Ok && candidate->IsAvailable()) {
                if (!candidate->IsStyleAvailable(style))
                    style = Gdiplus::FontStyleRegular;
                family = std::move(candidate);
                break;
            }
        }
        if (!family) {
            const Gdiplus::FontFamily* generic = Gdiplus::FontFamily::GenericSansSerif();
            family.reset(generic ? generic->Clone() : new Gdiplus::FontFamily());
        }
        font = std::make_unique<Gdiplus::Font>(family.get(), Gdiplus::REAL(size), style,
                                               Gdiplus::UnitPixel);
    }
    bool usable() const { return family && font && font->GetLastStatus() == Gdiplus::Ok; }
    std::wstring familyName() const
    {
        WCHAR name[LF_FACESIZE] = {};
        return family && family->GetFamilyName(name) == Gdiplus::Ok ? std::wstring(name) : std::wstring();
    }
    double ascent() const
    {
        return size * family->GetCellAscent(style) / std::max<UINT16>(1, family->GetEmHeight(style));
    }
    double descent() const
    {
        return size * family->GetCellDescent(style) / std::max<UINT16>(1, family->GetEmHeight(style));
    }
};

// Typographic layout: no padding around the text, trailing spaces counted.
std::unique_ptr<Gdiplus::StringFormat> typographic()
{
    const Gdiplus::StringFormat* generic = Gdiplus::StringFormat::GenericTypographic();
    std::unique_ptr<Gdiplus::StringFormat> format(
        generic ? generic->Clone()
                : new Gdiplus::StringFormat(Gdiplus::StringFormatFlagsNoFitBlackBox |
                                            Gdiplus::StringFormatFlagsLineLimit |
                                            Gdiplus::StringFormatFlagsNoClip));
    format->SetFormatFlags(format->GetFormatFlags() | Gdiplus::StringFormatFlagsMeasureTrailingSpaces |
                           Gdiplus::StringFormatFlagsNoWrap);
    return format;
}

double measureWidth(Gdiplus::Graphics* graphics, const NativeFont& font, const std::wstring& text)
{
    Gdiplus::RectF bounds;
    const auto format = typographic();
    graphics->MeasureString(text.c_str(), INT(text.size()), font.font.get(), Gdiplus::PointF(0, 0),
                            format.get(), &bounds);
    return bounds.Width;
}

// Which installed font family has which characters, for the whole process: installed fonts
// do not change while a host runs, and searching them for every paint would be slow.
// Any UI thread (several editors may draw at once); internally locked.
class FallbackFamilies
{
public:
    static FallbackFamilies& shared()
    {
        static FallbackFamilies families;
        return families;
    }

    // The first family (the usual system fallbacks first, then every installed family) that
    // has a glyph for `character`; empty when none has.
    std::wstring familyFor(HDC dc, wchar_t character)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (const auto found = chosen.find(character); found != chosen.end())
            return found->second;
        if (candidates.empty())
            listCandidates(dc);
        std::wstring family;
        for (const std::wstring& candidate : candidates) {
            if (hasGlyphs(dc, candidate, &character, 1)) {
                family = candidate;
                break;
            }
        }
        chosen.emplace(character, family);
        return family;
    }

    // True when the family's GDI font has a glyph for every unit of text.
    static bool hasGlyphs(HDC dc, const std::wstring& family, const wchar_t* text, int length,
                          std::vector<bool>* each = nullptr)
    {
        LOGFONTW description{};
        description.lfHeight = -32;
        description.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(description.lfFaceName, family.c_str(), LF_FACESIZE);
        HFONT font = CreateFontIndirectW(&description);
        if (!font)
            return false;
        HGDIOBJ previous = SelectObject(dc, font);
        std::vector<WORD> glyphs(size_t(length), 0xFFFF);
        const bool asked = GetGlyphIndicesW(dc, text, length, glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS) != GDI_ERROR;
        SelectObject(dc, previous);
        DeleteObject(font);
        bool all = asked;
        if (each)
            each->assign(size_t(length), false);
        for (int i = 0; i < length; ++i) {
            const bool present = asked && glyphs[size_t(i)] != 0xFFFF;
            all = all && present;
            if (each)
                (*each)[size_t(i)] = present;
        }
        return all;
    }

private:
    void listCandidates(HDC dc)
    {
        for (const wchar_t* name : {L"Segoe UI", L"Arial", L"Microsoft YaHei", L"Yu Gothic", L"Meiryo",
                                    L"MS Gothic", L"Malgun Gothic", L"Microsoft JhengHei", L"SimSun",
                                    L"Nirmala UI", L"Leelawadee UI", L"Ebrima", L"Segoe UI Symbol",
                                    L"Arial Unicode MS"})
            candidates.emplace_back(name);
        LOGFONTW all{};
        all.lfCharSet = DEFAULT_CHARSET;
        EnumFontFamiliesExW(
            dc, &all,
            [](const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM list) -> int {
                auto& names = *reinterpret_cast<std::vector<std::wstring>*>(list);
                const std::wstring name = font->lfFaceName;
                // Vertical writing faces ("@...") never draw a horizontal line.
                if (!name.empty() && name[0] != L'@' && std::find(names.begin(), names.end(), name) == names.end())
                    names.push_back(name);
                return 1;
            },
            reinterpret_cast<LPARAM>(&candidates), 0);
    }

    std::mutex mutex;
    std::vector<std::wstring> candidates;
    std::unordered_map<wchar_t, std::wstring> chosen;
};

}  // namespace

// The fonts a context has used, and a device context for asking GDI about glyphs.
struct CDrawContext::TextEngine
{
    HDC dc = CreateCompatibleDC(nullptr);
    // By asked family, size, style and fallback family.
    std::map<std::tuple<UTF8String, double, int32_t, std::wstring>, std::unique_ptr<NativeFont>> fonts;

    ~TextEngine()
    {
        if (dc)
            DeleteDC(dc);
    }

    // The asked font, or the font of a fallback family, in the asked size and style.
    const NativeFont& font(const CFontDesc* desc, const std::wstring& family = {})
    {
        auto& slot = fonts[{desc->getName(), desc->getSize(), desc->getStyle(), family}];
        if (!slot)
            slot = std::make_unique<NativeFont>(desc, family);
        return *slot;
    }
};

namespace {

struct TextRun
{
    std::wstring text;
    const NativeFont* font;
    double width;
};

// The text (made valid first) in runs of one font each: the asked font where it has the
// characters, a fallback family's font where it lacks them. Characters outside the Basic
// Multilingual Plane stay with the asked font (GDI's glyph query covers that plane only).
std::vector<TextRun> layoutRuns(Gdiplus::Graphics* graphics, CDrawContext::TextEngine& engine,
                                const CFontDesc* desc, UTF8StringPtr text)
{
    std::vector<TextRun> runs;
    const std::wstring wide = toWide(Steinberg::Vst::validUtf8(text ? text : ""));
    const NativeFont& primary = engine.font(desc);
    if (wide.empty() || !primary.usable())
        return runs;
    std::vector<bool> present;
    FallbackFamilies::hasGlyphs(engine.dc, primary.familyName(), wide.data(), int(wide.size()), &present);
    const NativeFont* current = nullptr;
    for (size_t i = 0; i < wide.size(); ++i) {
        const wchar_t unit = wide[i];
        const NativeFont* font = &primary;
        if (!present[i] && !(unit >= 0xD800 && unit <= 0xDFFF)) {
            const std::wstring family = FallbackFamilies::shared().familyFor(engine.dc, unit);
            if (!family.empty()) {
                const NativeFont& fallback = engine.font(desc, family);
                if (fallback.usable())
                    font = &fallback;
            }
        }
        if (font != current)
            runs.push_back({std::wstring(), font, 0});
        runs.back().text.push_back(unit);
        current = font;
    }
    for (TextRun& run : runs)
        run.width = measureWidth(graphics, *run.font, run.text);
    return runs;
}

}  // namespace

CDrawContext::CDrawContext(NativeGraphics* graphics) : graphics(graphics)
{
    state.font = kSystemFont;
    nativeStates.push_back(graphics->Save());
    graphics->SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
}

CDrawContext::~CDrawContext()
{
    while (!savedStates.empty())
        restoreGlobalState();
    graphics->Restore(nativeStates.front());
}

void CDrawContext::setFont(CFontRef font)
{
    state.font = font ? font : kSystemFont;
}

void CDrawContext::applyLine()
{
    graphics->SetSmoothingMode(state.drawMode.antiAliased() ? Gdiplus::SmoothingModeAntiAlias
                                                            : Gdiplus::SmoothingModeNone);
}

namespace {
std::unique_ptr<Gdiplus::Pen> makePen(const CColor& colour, float alpha, double width,
                                      const CLineStyle& style)
{
    auto pen = std::make_unique<Gdiplus::Pen>(toColor(colour, alpha), Gdiplus::REAL(width));
    static const Gdiplus::LineCap caps[] = {Gdiplus::LineCapFlat, Gdiplus::LineCapRound,
                                            Gdiplus::LineCapSquare};
    pen->SetLineCap(caps[style.getLineCap()], caps[style.getLineCap()], Gdiplus::DashCapFlat);
    // GDI+ dash lengths are multiples of the pen width already, as the line style's are.
    const auto& dashes = style.getDashLengths();
    if (!dashes.empty()) {
        std::vector<Gdiplus::REAL> pattern(dashes.begin(), dashes.end());
        pen->SetDashPattern(pattern.data(), INT(pattern.size()));
    }
    return pen;
}
}  // namespace

CRect CDrawContext::pixelAligned(const CRect& rect) const
{
    if (!state.drawMode.integralMode())
        return rect;
    return CRect(std::round(rect.left), std::round(rect.top), std::round(rect.right),
                 std::round(rect.bottom));
}

namespace {
// Anti-aliased rectangle fill: the fully covered device pixels at full strength, the partly
// covered edge rows and columns with their coverage. Done here rather than left to GDI+,
// whose fills are not anti-aliased on every implementation (Wine's are not).
void fillCovered(Gdiplus::Graphics* graphics, const Gdiplus::Color& colour, const CRect& rect,
                 bool smooth)
{
    Gdiplus::Matrix transform;
    graphics->GetTransform(&transform);
    Gdiplus::REAL m[6] = {};
    transform.GetElements(m);
    if (m[1] != 0 || m[2] != 0 || rect.isEmpty()) {
        Gdiplus::SolidBrush brush(colour);
        graphics->FillRectangle(&brush, toRectF(rect));
        return;
    }
    // Aliased drawing covers whole device pixels only.
    auto device = [smooth](double value) { return smooth ? value : std::round(value); };
    const double left = device(std::min(rect.left * m[0] + m[4], rect.right * m[0] + m[4]));
    const double right = device(std::max(rect.left * m[0] + m[4], rect.right * m[0] + m[4]));
    const double top = device(std::min(rect.top * m[3] + m[5], rect.bottom * m[3] + m[5]));
    const double bottom = device(std::max(rect.top * m[3] + m[5], rect.bottom * m[3] + m[5]));
    if (right <= left || bottom <= top)
        return;
    struct Span { double from, to, coverage; };
    // Whole pixels from..to with the share of each that [low, high) covers.
    auto spans = [](double low, double high) {
        std::vector<Span> out;
        const double first = std::floor(low), last = std::ceil(high);
        if (last - first <= 1) {
            out.push_back({first, last, high - low});
            return out;
        }
        out.push_back({first, first + 1, first + 1 - low});
        if (last - first > 2)
            out.push_back({first + 1, last - 1, 1.0});
        out.push_back({last - 1, last, high - (last - 1)});
        return out;
    };
    const Gdiplus::GraphicsState saved = graphics->Save();
    graphics->ResetTransform();
    graphics->SetSmoothingMode(Gdiplus::SmoothingModeNone);
    for (const Span& x : spans(left, right)) {
        for (const Span& y : spans(top, bottom)) {
            const double coverage = x.coverage * y.coverage;
            if (coverage <= 0)
                continue;
            Gdiplus::SolidBrush brush(Gdiplus::Color(BYTE(std::lround(colour.GetA() * coverage)),
                                                     colour.GetR(), colour.GetG(), colour.GetB()));
            graphics->FillRectangle(&brush, Gdiplus::RectF(Gdiplus::REAL(x.from), Gdiplus::REAL(y.from),
                                                           Gdiplus::REAL(x.to - x.from),
                                                           Gdiplus::REAL(y.to - y.from)));
        }
    }
    graphics->Restore(saved);
}

// An outline inside the rectangle, as four filled bands, so it covers exactly the edge pixels
// on every rasteriser (a pen's pixel rule differs between GDI+ implementations).
void fillOutline(Gdiplus::Graphics* graphics, const Gdiplus::Color& colour, const CRect& r, double width,
                 bool smooth)
{
    const double w = std::min(width, std::min(r.getWidth(), r.getHeight()) / 2);
    fillCovered(graphics, colour, CRect(r.left, r.top, r.right, r.top + w), smooth);
    fillCovered(graphics, colour, CRect(r.left, r.bottom - w, r.right, r.bottom), smooth);
    fillCovered(graphics, colour, CRect(r.left, r.top + w, r.left + w, r.bottom - w), smooth);
    fillCovered(graphics, colour, CRect(r.right - w, r.top + w, r.right, r.bottom - w), smooth);
}
}  // namespace

void CDrawContext::drawRect(const CRect& rect, CDrawStyle style)
{
    const CRect r = pixelAligned(rect);
    applyLine();
    if (style != kDrawStroked)
        fillCovered(graphics, toColor(state.fillColour, state.globalAlpha), r, state.drawMode.antiAliased());
    if (style != kDrawFilled && !r.isEmpty()) {
        if (state.lineStyle.getDashLengths().empty()) {
            fillOutline(graphics, toColor(state.frameColour, state.globalAlpha), r, state.lineWidth,
                        state.drawMode.antiAliased());
            return;
        }
        // Dashed: the pen runs along the middle of the band the outline covers.
        const double half = state.lineWidth / 2;
        auto pen = makePen(state.frameColour, state.globalAlpha, state.lineWidth, state.lineStyle);
        graphics->DrawRectangle(pen.get(), Gdiplus::REAL(r.left + half), Gdiplus::REAL(r.top + half),
                                Gdiplus::REAL(r.getWidth() - state.lineWidth),
                                Gdiplus::REAL(r.getHeight() - state.lineWidth));
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
    const double half = state.lineWidth / 2;
    const bool solid = state.lineStyle.getDashLengths().empty();
    const bool butt = state.lineStyle.getLineCap() == CLineStyle::kLineCapButt;
    if (solid && butt && (a.x == b.x || a.y == b.y)) {
        // Horizontal and vertical lines are the band they cover, filled: exact pixels.
        const CRect band = a.y == b.y ? CRect(std::min(a.x, b.x), a.y - half, std::max(a.x, b.x), a.y + half)
                                      : CRect(a.x - half, std::min(a.y, b.y), a.x + half, std::max(a.y, b.y));
        fillCovered(graphics, toColor(state.frameColour, state.globalAlpha), band, state.drawMode.antiAliased());
        return;
    }
    auto pen = makePen(state.frameColour, state.globalAlpha, state.lineWidth, state.lineStyle);
    graphics->DrawLine(pen.get(), Gdiplus::REAL(a.x), Gdiplus::REAL(a.y), Gdiplus::REAL(b.x),
                       Gdiplus::REAL(b.y));
}

void CDrawContext::drawEllipse(const CRect& rect, CDrawStyle style)
{
    const CRect r = pixelAligned(rect);
    if (r.isEmpty())
        return;
    applyLine();
    if (style != kDrawStroked) {
        Gdiplus::SolidBrush brush(toColor(state.fillColour, state.globalAlpha));
        graphics->FillEllipse(&brush, toRectF(r));
    }
    if (style != kDrawFilled) {
        auto pen = makePen(state.frameColour, state.globalAlpha, state.lineWidth, state.lineStyle);
        graphics->DrawEllipse(pen.get(), toRectF(r));
    }
}

CDrawContext::TextEngine& CDrawContext::textEngine()
{
    if (!text)
        text = std::make_unique<TextEngine>();
    return *text;
}

CCoord CDrawContext::getStringWidth(UTF8StringPtr string)
{
    if (!string || !*string)
        return 0;
    double width = 0;
    for (const TextRun& run : layoutRuns(graphics, textEngine(), state.font ? state.font : kSystemFont, string))
        width += run.width;
    return width;
}

CCoord CDrawContext::getFontHeight()
{
    const NativeFont& font = textEngine().font(state.font ? state.font : kSystemFont);
    return font.ascent() + font.descent();
}

void CDrawContext::drawString(UTF8StringPtr string, const CRect& rect, CHoriTxtAlign align,
                              bool antialias)
{
    if (!string || !*string || rect.isEmpty())
        return;
    const CFontDesc* desc = state.font ? state.font : kSystemFont;
    const NativeFont& primary = textEngine().font(desc);
    if (!primary.usable())
        return;  // no font on this system: the text is left out, nothing else changes
    const std::vector<TextRun> runs = layoutRuns(graphics, textEngine(), desc, string);
    double width = 0;
    for (const TextRun& run : runs)
        width += run.width;

    double x = rect.left;
    if (align == kCenterText)
        x = rect.left + (rect.getWidth() - width) / 2;
    else if (align == kRightText)
        x = rect.right - width;
    // The asked font's baseline, so rows line up whatever fallback fonts a text needs.
    const double baseline = std::round(rect.top + (rect.getHeight() + primary.ascent() - primary.descent()) / 2);

    const Gdiplus::GraphicsState saved = graphics->Save();
    graphics->IntersectClip(toRectF(rect));
    graphics->SetTextRenderingHint(antialias ? Gdiplus::TextRenderingHintAntiAliasGridFit
                                             : Gdiplus::TextRenderingHintSingleBitPerPixelGridFit);
    Gdiplus::SolidBrush brush(toColor(state.fontColour, state.globalAlpha));
    const auto format = typographic();
    x = std::round(x);
    for (const TextRun& run : runs) {
        graphics->DrawString(run.text.c_str(), INT(run.text.size()), run.font->font.get(),
                             Gdiplus::PointF(Gdiplus::REAL(x), Gdiplus::REAL(baseline - run.font->ascent())),
                             format.get(), &brush);
        x += run.width;
    }
    graphics->Restore(saved);
}

void CDrawContext::saveGlobalState()
{
    savedStates.push_back(state);
    nativeStates.push_back(graphics->Save());
}

void CDrawContext::restoreGlobalState()
{
    if (savedStates.empty())
        return;
    state = savedStates.back();
    savedStates.pop_back();
    graphics->Restore(nativeStates.back());
    nativeStates.pop_back();
}

void CDrawContext::clipRect(const CRect& rect)
{
    graphics->IntersectClip(toRectF(rect));
}

void CDrawContext::translate(CCoord dx, CCoord dy)
{
    graphics->TranslateTransform(Gdiplus::REAL(dx), Gdiplus::REAL(dy));
}

}  // namespace VSTGUI
