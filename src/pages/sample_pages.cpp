#include "pages/sample_pages.h"

#include "pages/font_manager.h"
#include "pages/page_doc.h"

namespace pages {

namespace {

const char* const kNames[] = {"text", "lower-third", "picture", "roll"};

TextFormat textFormat(CPageDoc& page, const std::string& font, uint32_t colour) {
    TextFormat t;
    t.setFontName(font);
    t.level = LEVEL_NORMAL;
    const CBitmapFont* f = page.fonts().Find(font);
    t.tint = f && f->isMonochrome() ? 1 : 0;
    t.colour = colour;
    return t;
}

CPageFrame& addFrame(CPageDoc& page, const Rect& r, int32_t type, uint32_t colour, int32_t align, const TextFormat& tf,
                     const std::string& text, int32_t margin = 0) {
    FrameFormat ff;
    ff.type = type;
    ff.colour = colour;
    ParaFormat pf;
    pf.align = align;
    pf.leftMargin = pf.rightMargin = margin;
    const int index = page.CreateFrame(r, ff, pf, tf, CPageFrame::DefaultName(page.frameCount() + 1));
    CPageFrame& f = *page.frame(index);
    f.InsertText(text, page.fonts());
    return f;
}

}  // namespace

std::vector<std::string> SamplePageNames() { return {std::begin(kNames), std::end(kNames)}; }

bool SamplePageByName(const std::string& name, SamplePage& out) {
    for (size_t i = 0; i < std::size(kNames); ++i)
        if (name == kNames[i]) {
            out = SamplePage(i);
            return true;
        }
    return false;
}

CBitmap32 SamplePicture(int32_t width, int32_t height) {
    CBitmap32 b(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* p = b.pixel(x, y);
            p[PIX_BLUE] = uint8_t(40 + 160 * y / std::max(1, height));
            p[PIX_GREEN] = uint8_t(60 + 120 * x / std::max(1, width));
            p[PIX_RED] = uint8_t(20 + (x ^ y) % 64);
            p[PIX_TRANS] = 0;
            // Two soft discs, so that the filter and the thumbnail have curves to work on.
            const int32_t d1 = (x - width / 3) * (x - width / 3) + (y - height / 3) * (y - height / 3);
            const int32_t d2 = (x - 2 * width / 3) * (x - 2 * width / 3) + (y - height / 2) * (y - height / 2);
            if (d1 < 90 * 90) p[PIX_RED] = 230, p[PIX_GREEN] = uint8_t(140 + d1 / 100);
            if (d2 < 70 * 70) p[PIX_BLUE] = 250, p[PIX_GREEN] = 200;
        }
    return b;
}

void BuildSamplePage(CPageDoc& page, SamplePage kind, const std::string& font) {
    page.NewPage();
    const TextFormat white = textFormat(page, font, 0x00FFFFFF);
    const TextFormat yellow = textFormat(page, font, 0x0000E0FF);
    switch (kind) {
        case SamplePage::Text: {
            page.SetBackgroundColour(0xFF000000);
            CPageFrame& f = addFrame(page, {40, 40, 680, 536}, FRAME_FIXED, 0x60401000, ALIGN_LEFT, white,
                                     "Evening news\n"
                                     "The city council agreed on the new budget after a long debate on Tuesday, "
                                     "with more money for schools, roads and the river embankment.\n"
                                     "Weather: sunny spells in the morning, showers later; 18 to 23 degrees.\n"
                                     "Traffic: the northern bridge stays closed until Friday (works).\n"
                                     "Sport: the home team won 3-1 and leads the table by two points.",
                                     16);
            // A centred yellow headline.
            f.paragraphs[0].format.align = ALIGN_CENTER;
            f.SetSelection({0, 0}, {0, f.paragraphs[0].length()});
            f.SetTextFormat(TEXT_COLOUR, yellow, page.fonts());
            f.paragraphs[0].format.spaceAfter = 12;
            f.ResetView();
            break;
        }
        case SamplePage::LowerThird: {
            page.SetBackgroundColour(0xFF000000);
            addFrame(page, {40, 370, 480, 470}, FRAME_FIXED, 0x30802000, ALIGN_LEFT, white, "Anna Petrova\nreporter",
                     12);
            CPageFrame& s = addFrame(page, {0, 480, 720, 530}, FRAME_SCROLLER, 0x40000000, ALIGN_LEFT, yellow,
                                     "Breaking news: the northern bridge reopens on Friday +++ Markets closed higher "
                                     "+++ Tomorrow: sunny, 23 degrees +++");
            s.format.vAlign = VALIGN_CENTER;
            break;
        }
        case SamplePage::Picture: {
            page.SetBackgroundPicture(SamplePicture(), 0, 0, 0, 0);
            addFrame(page, {60, 60, 660, 160}, FRAME_FIXED, 0x80000000, ALIGN_CENTER, white, "Summer festival\nlive",
                     0);
            break;
        }
        case SamplePage::Roll: {
            page.SetBackgroundColour(0xFF000000);
            CPageFrame& r = addFrame(page, {120, 60, 600, 516}, FRAME_ROLL, 0x50100800, ALIGN_CENTER, white,
                                     "Produced by\nThe Evening Team\n\nDirector\nMaria Ivanova\n\nCamera\n"
                                     "Oleg Smirnov\nIrina Volkova\n\nThank you for watching",
                                     0);
            r.format.backgroundFrame = 1;
            break;
        }
    }
    page.LayoutAll();
    page.modified = false;
}

}  // namespace pages
