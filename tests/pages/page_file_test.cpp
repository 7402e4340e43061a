// The page file: round trip, the load modes, and damaged or foreign files.
#include <gtest/gtest.h>

#include <cstring>

#include "page_test_util.h"
#include "pages/file_result.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "pages/sample_pages.h"
#include "platform/files.h"

using namespace pages;
using pagetest::PageFixture;

namespace {

struct PageFile : PageFixture {
    std::string banners;

    void SetUp() override {
        PageFixture::SetUp();
        banners = dir.path() + "Banners/";
        ASSERT_TRUE(platform::MakeDirectories(banners));
        ASSERT_TRUE(zxtest::WriteText(banners + "logo.zxa", "banner"));
    }

    // A page with every kind of frame: text in several runs and paragraphs, a Scroller, a
    // picture, a banner placeholder; and a background picture.
    void build(CPageDoc& page) {
        page.setBannersFolder(banners);
        page.NewPage();
        page.SetBackgroundColour(0x40112233);
        page.SetBackgroundPicture(SamplePicture(100, 60), 50, 40, 10, 5);

        auto text = frame({20, 20, 400, 200}, "Title\nSecond line, \xE0\xE1\xE2");
        text->name = "Headline \xC0";
        text->lock = 1;
        text->format.colour = 0x80102030;
        text->format.vAlign = VALIGN_CENTER;
        text->paragraphs[0].format = ParaFormat{ALIGN_CENTER, 3, 4, 5, 6, 7, 8, {}};
        text->paragraphs[1].runs.push_back(TextRun{" tail", format("Tall", 0x00ABCDEF, LEVEL_SUPERSCRIPT)});
        text->paragraphs[1].runs[0].format.reserved[3] = 0x5A;  // reserved bytes stay as they were
        page.AppendFrame(std::move(text));

        auto scroller = frame({4, 500, 716, 540}, "Crawl text +++ more");
        scroller->format.type = FRAME_SCROLLER;
        scroller->format.border = 5;
        scroller->format.backgroundFrame = 1;
        page.AppendFrame(std::move(scroller));

        auto picture = frame({420, 20, 520, 80}, "");
        picture->format.hasPicture = 1;
        picture->picture = SamplePicture(100, 60);
        page.AppendFrame(std::move(picture));

        auto banner = frame({540, 20, 700, 120}, "");
        banner->format.bannerLink = 1;
        banner->bannerPath = banners + "logo.zxa";
        banner->picture = SamplePicture(160, 100);
        page.AppendFrame(std::move(banner));
        page.LayoutAll();
    }

    std::string save(CPageDoc& page, CPageImage& image, const std::string& name = "page.zxg") {
        image.Compile(page, COMPILE_DEVICE | COMPILE_FILTER | COMPILE_THUMBNAIL);
        EXPECT_EQ(page.Save(dir.file(name), image), FILE_OK);
        return dir.file(name);
    }

    // The page of every kind of frame, saved as page.zxg: its bytes.
    std::vector<uint8_t> savedPage() {
        CPageDoc page(fonts);
        build(page);
        CPageImage image;
        return bytes(save(page, image));
    }

    std::vector<uint8_t> bytes(const std::string& path) {
        std::vector<uint8_t> v;
        EXPECT_TRUE(platform::ReadFile(path, v));
        return v;
    }
    void put(const std::string& path, const std::vector<uint8_t>& v) {
        ASSERT_TRUE(platform::WriteFileAtomic(path, v));
    }
    static void poke32(std::vector<uint8_t>& v, size_t at, uint32_t value) {
        for (int k = 0; k < 4; ++k) v[at + size_t(k)] = uint8_t(value >> (8 * k));
    }
    static uint32_t peek32(const std::vector<uint8_t>& v, size_t at) {
        return uint32_t(v[at]) | uint32_t(v[at + 1]) << 8 | uint32_t(v[at + 2]) << 16 | uint32_t(v[at + 3]) << 24;
    }
};

bool sameFormats(const TextFormat& a, const TextFormat& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

TEST_F(PageFile, RoundTripOfEveryKindOfFrame) {
    CPageDoc page(fonts);
    build(page);
    CPageImage image;
    const std::string path = save(page, image);
    const std::vector<uint8_t> file = bytes(path);

    // The header: magic, version, frame count, colour, rectangle, offsets and sizes.
    EXPECT_EQ(std::memcmp(file.data(), "PAGE", 4), 0);
    EXPECT_EQ(peek32(file, 4), 0x00010004u);
    EXPECT_EQ(peek32(file, 12), 4u);
    EXPECT_EQ(peek32(file, 16), 0x40112233u);
    EXPECT_EQ(peek32(file, 28), 50u);
    EXPECT_EQ(peek32(file, 40), 95u);  // 55 rows of the picture from row 5
    EXPECT_EQ(peek32(file, 56) & 1, 1u);
    const uint32_t thumb = peek32(file, 172), device = peek32(file, 176), size = peek32(file, 180);
    EXPECT_EQ(device, thumb + uint32_t(THUMB_SIZE));
    EXPECT_EQ(size_t(device) + size, file.size());
    EXPECT_EQ(size, 32 + image.device.stillSize + image.device.stripSize);
    // The banner is stored below the Banners folder: its name alone, kind 0.
    const std::string stored(file.begin(), file.end());
    EXPECT_NE(stored.find("logo.zxa"), std::string::npos);
    EXPECT_EQ(stored.find(banners + "logo.zxa"), std::string::npos);

    CPageDoc back(fonts);
    back.setBannersFolder(banners);
    CPageImage loaded;
    ASSERT_EQ(back.Load(LOAD_SUMMARY | LOAD_FRAMES | LOAD_THUMBNAIL | LOAD_DEVICE, path, loaded), FILE_OK);
    EXPECT_EQ(back.pathName, path);
    EXPECT_TRUE(back.hasFile);
    EXPECT_FALSE(back.modified);
    EXPECT_EQ(back.backgroundColour, 0x40112233u);
    EXPECT_TRUE(back.hasBackgroundPicture);
    EXPECT_EQ(back.backgroundRect, (Rect{50, 40, 140, 95}));
    EXPECT_TRUE(back.background == page.background);
    ASSERT_EQ(back.frameCount(), 4);
    for (int i = 0; i < 4; ++i) {
        const CPageFrame& a = *page.frame(i);
        const CPageFrame& b = *back.frame(i);
        EXPECT_EQ(a.name, b.name);
        EXPECT_EQ(a.rect, b.rect);
        EXPECT_EQ(a.lock, b.lock);
        EXPECT_EQ(std::memcmp(&a.format, &b.format, sizeof a.format), 0) << i;
        ASSERT_EQ(a.paragraphs.size(), b.paragraphs.size());
        for (size_t p = 0; p < a.paragraphs.size(); ++p) {
            EXPECT_EQ(std::memcmp(&a.paragraphs[p].format, &b.paragraphs[p].format, sizeof(ParaFormat)), 0);
            ASSERT_EQ(a.paragraphs[p].runs.size(), b.paragraphs[p].runs.size());
            for (size_t r = 0; r < a.paragraphs[p].runs.size(); ++r) {
                EXPECT_EQ(a.paragraphs[p].runs[r].text, b.paragraphs[p].runs[r].text);
                EXPECT_TRUE(sameFormats(a.paragraphs[p].runs[r].format, b.paragraphs[p].runs[r].format));
            }
        }
        EXPECT_TRUE(a.picture == b.picture) << i;
        EXPECT_EQ(a.bannerPath, b.bannerPath);
        EXPECT_EQ(a.lines.size(), b.lines.size());  // laid out on load
    }
    EXPECT_TRUE(loaded.summary == image.summary);
    EXPECT_TRUE(loaded.device == image.device);
    EXPECT_EQ(loaded.data, image.data);
    EXPECT_TRUE(loaded.thumbnail == image.thumbnail);
    // Written again, the file is the same to the byte.
    EXPECT_EQ(back.Serialize(loaded), file);
}

TEST_F(PageFile, PlayoutModesReadOnlyWhatTheyAskFor) {
    CPageDoc page(fonts);
    build(page);
    CPageImage image;
    const std::string path = save(page, image);

    CPageDoc air(fonts);
    air.setBannersFolder(banners);
    CPageImage compiled;
    ASSERT_EQ(air.Load(LOAD_FRAMES | LOAD_THUMBNAIL | LOAD_DEVICE | LOAD_NO_PICTURES, path, compiled), FILE_OK);
    EXPECT_EQ(air.frameCount(), 4);
    EXPECT_TRUE(air.frame(2)->picture.empty());
    EXPECT_TRUE(air.frame(3)->isBanner());
    EXPECT_EQ(compiled.data, image.data);

    CPageDoc sequence(fonts);
    CPageImage summary;
    ASSERT_EQ(sequence.Load(LOAD_SUMMARY, path, summary), FILE_OK);
    EXPECT_EQ(sequence.frameCount(), 0);
    EXPECT_TRUE(summary.summary == image.summary);
    EXPECT_TRUE(summary.data.empty());
    EXPECT_TRUE(summary.thumbnail.empty());
}

TEST_F(PageFile, OddEdgesComeBackEven) {
    CPageDoc page(fonts);
    page.AppendFrame(frame({11, 20, 101, 80}, "x"));
    CPageImage image;
    const std::string path = save(page, image);
    CPageDoc back(fonts);
    ASSERT_EQ(back.Load(LOAD_FRAMES, path, image), FILE_OK);
    EXPECT_EQ(back.frame(0)->rect, (Rect{10, 20, 100, 80}));
}

TEST_F(PageFile, VersionsAndMagic) {
    CPageDoc page(fonts);
    build(page);
    CPageImage image;
    std::vector<uint8_t> file = bytes(save(page, image));
    const std::string path = dir.file("old.zxg");

    // The oldest version opens in the editor only.
    poke32(file, 4, 0x00010002);
    put(path, file);
    CPageDoc back(fonts);
    back.setBannersFolder(banners);
    CPageImage loaded;
    EXPECT_EQ(back.Load(LOAD_FRAMES, path, loaded), FILE_OK);
    EXPECT_EQ(back.frameCount(), 4);
    for (int mode : {int(LOAD_SUMMARY), int(LOAD_THUMBNAIL), int(LOAD_DEVICE), LOAD_FRAMES | LOAD_THUMBNAIL})
        EXPECT_EQ(back.Load(mode, path, loaded), FILE_VERSION_ERROR) << mode;
    EXPECT_EQ(back.frameCount(), 0);

    poke32(file, 4, 0x00010003);
    put(path, file);
    EXPECT_EQ(back.Load(LOAD_SUMMARY | LOAD_DEVICE, path, loaded), FILE_OK);
    for (uint32_t v : {0x00010001u, 0x00010005u, 0u}) {
        poke32(file, 4, v);
        put(path, file);
        EXPECT_EQ(back.Load(LOAD_FRAMES, path, loaded), FILE_VERSION_ERROR) << v;
    }
    // A magic other than "PAGE" is not a page file, whatever the version.
    for (uint32_t v : {0x00010002u, 0x00010004u, 0x00010009u}) {
        poke32(file, 4, v);
        file[0] = 'p';
        put(path, file);
        EXPECT_EQ(back.Load(LOAD_SUMMARY, path, loaded), FILE_FORMAT_ERROR) << v;
    }
    EXPECT_EQ(back.Load(LOAD_SUMMARY, dir.file("none.zxg"), loaded), FILE_OPEN_ERROR);
    EXPECT_EQ(page.Save(dir.file("no/such/folder/page.zxg"), image), FILE_SAVE_ERROR);
}

TEST_F(PageFile, ADeletedBannerDropsOnlyItsLink) {
    CPageDoc page(fonts);
    build(page);
    // The banner frame second, so that frames after it must still be read: text, banner,
    // picture, Scroller.
    page.BringToFront(1);
    ASSERT_TRUE(page.frame(1)->isBanner());
    CPageImage image;
    const std::string path = save(page, image);
    ASSERT_EQ(::remove((banners + "logo.zxa").c_str()), 0);

    CPageDoc back(fonts);
    back.setBannersFolder(banners);
    ASSERT_EQ(back.Load(LOAD_FRAMES, path, image), FILE_OK);
    ASSERT_EQ(back.frameCount(), 4);
    EXPECT_FALSE(back.frame(1)->isBanner());
    EXPECT_FALSE(back.HasBanner());
    EXPECT_TRUE(back.frame(2)->picture == page.frame(2)->picture);
    EXPECT_EQ(back.frame(3)->paragraphs[0].text(), "Crawl text +++ more");
    EXPECT_TRUE(back.background == page.background);
}

TEST_F(PageFile, NewPageFromATemplateGetsANewName) {
    CPageDoc page(fonts);
    build(page);
    CPageImage image;
    const std::string path = save(page, image, "Template.zxg");
    CPageDoc fresh(fonts);
    fresh.setBannersFolder(banners);
    ASSERT_EQ(fresh.NewFromTemplate(path, image), FILE_OK);
    EXPECT_EQ(fresh.frameCount(), 4);
    EXPECT_NE(fresh.pathName, path);
    EXPECT_FALSE(fresh.hasFile);
    EXPECT_EQ(fresh.NewFromTemplate(dir.file("gone.zxg"), image), FILE_OPEN_ERROR);
    EXPECT_EQ(fresh.frameCount(), 0);
    EXPECT_EQ(fresh.pathName.size(), 15u);  // "YYMMDD_HHMM.zxg"
}

TEST_F(PageFile, MissingFontsAreReplacedWithTheSubstitutesTint) {
    CPageDoc page(fonts);
    auto f = frame({20, 20, 400, 200}, "abc");
    f->paragraphs[0].runs[0].format.setFontName("Vanished");
    f->paragraphs[0].runs[0].format.tint = 0;
    page.AppendFrame(std::move(f));
    CPageImage image;
    const std::string path = save(page, image);
    CPageDoc back(fonts);
    ASSERT_EQ(back.Load(LOAD_FRAMES, path, image), FILE_OK);
    const TextFormat& t = back.frame(0)->paragraphs[0].runs[0].format;
    EXPECT_EQ(t.fontName(), "Grid");  // the first font: the headless answer
    EXPECT_EQ(t.tint, 1);
}

TEST_F(PageFile, DamagedFilesGive259AndAnEmptyPage) {
    const std::vector<uint8_t> good = savedPage();
    const std::string path = dir.file("damaged.zxg");
    CPageDoc back(fonts);
    back.setBannersFolder(banners);
    CPageImage loaded;
    const int all = LOAD_SUMMARY | LOAD_FRAMES | LOAD_THUMBNAIL | LOAD_DEVICE;
    auto expectEmptyAfter = [&](const std::vector<uint8_t>& file, int mode, const char* what) {
        put(path, file);
        // A page that was there before a failed load does not survive in part.
        ASSERT_EQ(back.Load(all, dir.file("page.zxg"), loaded), FILE_OK);
        EXPECT_EQ(back.Load(mode, path, loaded), FILE_FORMAT_ERROR) << what << " " << file.size();
        EXPECT_EQ(back.frameCount(), 0) << what;
        EXPECT_FALSE(back.hasBackgroundPicture) << what;
        EXPECT_TRUE(loaded.data.empty() && loaded.thumbnail.empty()) << what;
    };
    // Cut short anywhere: in the header, inside frames, pictures, thumbnail and Device data.
    const uint32_t thumb = peek32(good, 172), device = peek32(good, 176);
    for (size_t cut : {size_t(0), size_t(3), size_t(255), size_t(300), size_t(700), size_t(5000), size_t(thumb) - 1,
                       size_t(thumb) + 1000, size_t(device) + 10, good.size() - 1}) {
        std::vector<uint8_t> shortFile(good.begin(), good.begin() + long(cut));
        expectEmptyAfter(shortFile, all, "cut");
    }
    for (size_t cut = 256; cut < thumb; cut += 4099) {
        std::vector<uint8_t> shortFile(good.begin(), good.begin() + long(cut));
        expectEmptyAfter(shortFile, LOAD_FRAMES, "cut in frames");
    }
    // Lengths and counts that point past the file.
    std::vector<uint8_t> bad = good;
    poke32(bad, 12, 0x7FFFFFFF);
    expectEmptyAfter(bad, LOAD_FRAMES, "frame count");
    bad = good;
    poke32(bad, 256, 0xFFFFFFF0);  // the first frame's name length
    expectEmptyAfter(bad, LOAD_FRAMES, "name length");
    bad = good;
    poke32(bad, 172, uint32_t(good.size()) - 100);
    expectEmptyAfter(bad, LOAD_THUMBNAIL, "thumbnail offset");
    bad = good;
    poke32(bad, device + 4, peek32(good, device + 4) + 2);  // strip size beyond its chunks
    expectEmptyAfter(bad, LOAD_DEVICE, "strip size");
    bad = good;
    poke32(bad, 180, peek32(good, 180) + 1);
    expectEmptyAfter(bad, LOAD_DEVICE, "Device data size");
    bad = good;
    poke32(bad, 36, 2000);  // a background rectangle off the screen
    expectEmptyAfter(bad, LOAD_SUMMARY, "background rectangle");
}

TEST_F(PageFile, TheSummaryAloneAnswersAsALoadOfTheSummaryDoes) {
    const std::vector<uint8_t> good = savedPage();
    const std::string path = dir.file("summary.zxg");
    auto variant = [&](size_t at, uint32_t value, size_t cut = SIZE_MAX) {
        std::vector<uint8_t> f = good;
        if (at != SIZE_MAX) poke32(f, at, value);
        f.resize(std::min(cut, f.size()));
        return f;
    };
    const std::vector<std::vector<uint8_t>> files = {
        good,
        variant(4, 0x00010002),                  // the oldest version: no summary
        variant(4, 0x00010005),                  // newer than ours
        variant(0, 0x45474170),                  // "pAGE"
        variant(SIZE_MAX, 0, 200),               // cut inside the header
        variant(36, 2000),                       // background rectangle off the screen
        variant(SIZE_MAX, 0, PAGE_HEADER_SIZE),  // the header alone is enough
    };
    CPageDoc back(fonts);
    for (size_t i = 0; i < files.size(); ++i) {
        put(path, files[i]);
        CPageImage loaded;
        const int expected = back.Load(LOAD_SUMMARY, path, loaded);
        PageSummary summary;
        EXPECT_EQ(ReadPageSummary(path, summary), expected) << i;
        EXPECT_TRUE(summary == loaded.summary) << i;
    }
    PageSummary none;
    EXPECT_EQ(ReadPageSummary(dir.file("gone.zxg"), none), FILE_OPEN_ERROR);
}
