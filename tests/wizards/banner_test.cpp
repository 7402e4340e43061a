// Banners: the file's checks (what the player and "Link banner..." refuse), the player's frames,
// halves, loop and finish, the converter's sources (picture lists, pairs, videos of every kind
// the tests can make, damaged ones) and the file it writes.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstring>
#include <filesystem>

#include "app/zentrix_app.h"
#include "pages/banner_file.h"
#include "pages/device_picture.h"
#include "pages/file_result.h"
#include "pages/picture_io.h"
#include "platform/files.h"
#include "support/temp_dir.h"
#include "wizards/banner_converter.h"
#include "wizards/banner_player.h"
#include "wizards/banner_video.h"
#include "wizards/banner_writer.h"
#include "wizards/video_writer.h"

using namespace wizards;
using pages::BannerHeader;

namespace {

// Frame i of a test clip: a gradient with a bar at column 4 i, and transparency rising by row.
pages::CBitmap32 Frame(int w, int h, int i, bool transparency = false) {
    pages::CBitmap32 b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = b.pixel(x, y);
            p[0] = uint8_t(x * 255 / w);
            p[1] = uint8_t(y * 255 / h);
            p[2] = (x / 4 == i % (w / 4)) ? 255 : 40;
            p[3] = transparency ? uint8_t(y * 255 / std::max(1, h - 1)) : 0;
        }
    return b;
}

std::vector<pages::CBitmap32> Frames(int n, int w, int h, bool transparency = false) {
    std::vector<pages::CBitmap32> v;
    for (int i = 0; i < n; ++i) v.push_back(Frame(w, h, i, transparency));
    return v;
}

std::vector<uint8_t> Bytes(const std::string& path) {
    std::vector<uint8_t> b;
    platform::ReadFile(path, b);
    return b;
}

void Write(const std::string& path, const std::vector<uint8_t>& b) { ASSERT_TRUE(platform::WriteFileAtomic(path, b)); }

// A banner file written by the writer: n frames of w × h.
BannerHeader Header(uint32_t n, int w, int h, uint32_t rate100 = 2500, bool loop = false) {
    BannerHeader hd;
    hd.frames = n, hd.rate100 = rate100, hd.width = w, hd.height = h, hd.x = 100, hd.y = 100;
    hd.flags = pages::BANNER_HAS_PREVIEW | (loop ? pages::BANNER_LOOP : 0);
    return hd;
}

void WriteBanner(const std::string& path, const BannerHeader& h) {
    CBannerWriter w;
    ASSERT_TRUE(w.Create(path, h));
    for (uint32_t i = 0; i < h.frames; ++i) {
        pages::CBitmap32 f = Frame(h.width, h.height, int(i));
        if (i == 0) {
            ASSERT_TRUE(w.WritePreview(f));
        }
        ASSERT_TRUE(w.AddFrame(f));
    }
    ASSERT_TRUE(w.Finish());
}

// A minimal AVI with one audio stream and no video.
std::vector<uint8_t> AudioOnlyAvi() {
    std::vector<uint8_t> out;
    auto u32 = [&](uint32_t v) {
        for (int k = 0; k < 4; ++k) out.push_back(uint8_t(v >> (8 * k)));
    };
    auto u16 = [&](uint16_t v) {
        out.push_back(uint8_t(v));
        out.push_back(uint8_t(v >> 8));
    };
    auto tag = [&](const char* t) { out.insert(out.end(), t, t + 4); };
    tag("RIFF");
    const size_t riffSize = out.size();
    u32(0);
    tag("AVI ");
    tag("LIST");
    const size_t hdrlSize = out.size();
    u32(0);
    tag("hdrl");
    tag("avih");
    u32(56);
    u32(0), u32(0), u32(0), u32(0), u32(1), u32(0), u32(1), u32(0), u32(0), u32(0);
    u32(0), u32(0), u32(0), u32(0);
    tag("LIST");
    const size_t strlSize = out.size();
    u32(0);
    tag("strl");
    tag("strh");
    u32(56);
    tag("auds");
    u32(0), u32(0), u32(0), u32(0), u32(1), u32(8000), u32(0), u32(8), u32(0), u32(0), u32(1);
    u16(0), u16(0), u16(0), u16(0);
    tag("strf");
    u32(16);
    u16(1), u16(1), u32(8000), u32(8000), u16(1), u16(8);
    auto patch = [&](size_t at) {
        const uint32_t v = uint32_t(out.size() - at - 4);
        for (int k = 0; k < 4; ++k) out[at + size_t(k)] = uint8_t(v >> (8 * k));
    };
    patch(strlSize);
    patch(hdrlSize);
    tag("LIST");
    const size_t moviSize = out.size();
    u32(0);
    tag("movi");
    tag("01wb");
    u32(8);
    for (int k = 0; k < 8; ++k) out.push_back(0x80);
    patch(moviSize);
    patch(riffSize);
    return out;
}

// Where the n-th chunk of a tag starts in a file (its data), or npos.
size_t FindChunk(const std::vector<uint8_t>& b, const char* tag, int n) {
    for (size_t i = 0; i + 8 < b.size(); ++i)
        if (std::memcmp(&b[i], tag, 4) == 0 && n-- == 0) return i + 8;
    return std::string::npos;
}

class Banners : public ::testing::Test {
protected:
    zxtest::TempDir dir;
};

}  // namespace

// ---- the file's checks --------------------------------------------------------------------

TEST_F(Banners, TheFileChecksRefuseWhatCannotBePlayed) {
    const BannerHeader good = Header(2, 120, 40);
    WriteBanner(dir.file("good.zxa"), good);
    const std::vector<uint8_t> bytes = Bytes(dir.file("good.zxa"));
    ASSERT_EQ(bytes.size(), pages::BannerFileSize(good));
    BannerHeader h;
    EXPECT_EQ(pages::CheckBannerFile(bytes.data(), bytes.size(), bytes.size(), h), pages::FILE_OK);
    EXPECT_EQ(h.frames, 2u);
    struct Damage {
        const char* what;
        void (*apply)(BannerHeader&);
    };
    const Damage damages[] = {
        {"rate 0", [](BannerHeader& x) { x.rate100 = 0; }},       {"rate 99", [](BannerHeader& x) { x.rate100 = 99; }},
        {"rate 3001", [](BannerHeader& x) { x.rate100 = 3001; }}, {"no frames", [](BannerHeader& x) { x.frames = 0; }},
        {"odd width", [](BannerHeader& x) { x.width = 121; }},    {"odd x", [](BannerHeader& x) { x.x = 101; }},
        {"border 15", [](BannerHeader& x) { x.border = 15; }},    {"off the right", [](BannerHeader& x) { x.x = 602; }},
        {"off the bottom", [](BannerHeader& x) { x.y = 537; }},
    };
    for (const Damage& d : damages) {
        BannerHeader bad = good;
        d.apply(bad);
        std::vector<uint8_t> b = pages::BannerHeadBytes(bad, nullptr);
        EXPECT_EQ(pages::CheckBannerFile(b.data(), b.size(), UINT64_MAX, h), pages::FILE_FORMAT_ERROR) << d.what;
        std::vector<uint8_t> whole = bytes;
        std::memcpy(whole.data(), b.data(), pages::BANNER_HEADER_SIZE);
        Write(dir.file("bad.zxa"), whole);
        CBannerPlayer player;
        EXPECT_EQ(player.open(dir.file("bad.zxa")), pages::FILE_FORMAT_ERROR) << d.what;
        pages::CBitmap32 preview;
        EXPECT_EQ(pages::ReadBannerHead(dir.file("bad.zxa"), h, preview), pages::FILE_FORMAT_ERROR) << d.what;
    }
    // One byte short of the last block; the limits themselves pass.
    EXPECT_EQ(pages::CheckBannerFile(bytes.data(), bytes.size(), bytes.size() - 1, h), pages::FILE_FORMAT_ERROR);
    Write(dir.file("short.zxa"), std::vector<uint8_t>(bytes.begin(), bytes.end() - 1));
    CBannerPlayer player;
    EXPECT_EQ(player.open(dir.file("short.zxa")), pages::FILE_FORMAT_ERROR);
    BannerHeader edge = good;
    edge.rate100 = 3000, edge.border = 14, edge.x = 600, edge.y = 536;
    std::vector<uint8_t> b = pages::BannerHeadBytes(edge, nullptr);
    EXPECT_EQ(pages::CheckBannerFile(b.data(), b.size(), UINT64_MAX, h), pages::FILE_OK);
}

TEST_F(Banners, PlayerOpenCodes) {
    CBannerPlayer player;
    EXPECT_EQ(player.open(dir.file("none.zxa")), pages::FILE_OPEN_ERROR);
    WriteBanner(dir.file("b.zxa"), Header(2, 120, 40));
    std::vector<uint8_t> b = Bytes(dir.file("b.zxa"));
    b[0] = 'X';
    Write(dir.file("magic.zxa"), b);
    EXPECT_EQ(player.open(dir.file("magic.zxa")), pages::FILE_FORMAT_ERROR);
    b[0] = 'Z';
    b[4] = 2;
    Write(dir.file("version.zxa"), b);
    EXPECT_EQ(player.open(dir.file("version.zxa")), pages::FILE_VERSION_ERROR);
    EXPECT_FALSE(player.isOpen());
    EXPECT_EQ(player.open(dir.file("b.zxa")), pages::FILE_OK);
    EXPECT_TRUE(player.isOpen());
    EXPECT_EQ(player.preview(), Frame(120, 40, 0));
    EXPECT_EQ(player.Preview()->width(), 360);
    EXPECT_EQ(player.Preview()->colourAt(50, 50), Frame(120, 40, 0).colourAt(0, 0));
    EXPECT_EQ(player.Preview()->colourAt(49, 50), 0xFF000000u);
    player.close();
    EXPECT_FALSE(player.isOpen());
}

// ---- the player ---------------------------------------------------------------------------

TEST_F(Banners, PlayerPeriodsAndDuration) {
    WriteBanner(dir.file("25.zxa"), Header(10, 20, 10, 2500));
    WriteBanner(dir.file("30.zxa"), Header(10, 20, 10, 3000));
    CBannerPlayer p;
    ASSERT_EQ(p.open(dir.file("25.zxa")), 0);
    EXPECT_EQ(p.FramePeriodMs(), 40u);
    EXPECT_EQ(p.TotalMs(), 400u);
    ASSERT_EQ(p.open(dir.file("30.zxa")), 0);
    EXPECT_EQ(p.FramePeriodMs(), 33u);
    EXPECT_EQ(p.TotalMs(), 330u);
    EXPECT_EQ(p.Rect().left, 100);
    EXPECT_EQ(p.Rect().right, 120);
}

TEST_F(Banners, PlayerDeliversEveryFrameInTurnAndFinishes) {
    WriteBanner(dir.file("b.zxa"), Header(3, 20, 10));
    CBannerPlayer p;
    ASSERT_EQ(p.open(dir.file("b.zxa")), 0);
    EXPECT_FALSE(p.Loop());
    p.Rewind();
    std::vector<uint8_t> expect(pages::DeviceBlockSize(20, 10));
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(p.NextFrame()) << i;
        EXPECT_EQ(p.Half(), i % 2 == 0) << i;
        pages::ToDevice(Frame(20, 10, i).view(), 0, 0, 20, 10, expect.data(), true);
        ASSERT_EQ(p.FrameBlock().size(), expect.size());
        EXPECT_EQ(std::memcmp(p.FrameBlock().data(), expect.data(), expect.size()), 0) << i;
    }
    EXPECT_TRUE(p.NextFrame());
    EXPECT_TRUE(p.Finished());
    p.Rewind();
    EXPECT_FALSE(p.Finished());
    EXPECT_FALSE(p.NextFrame());
    EXPECT_EQ(p.delivered(), 1u);
}

TEST_F(Banners, ALoopingBannerRestartsAndItsHalvesKeepAlternating) {
    WriteBanner(dir.file("b.zxa"), Header(3, 20, 10, 2500, true));
    CBannerPlayer p;
    ASSERT_EQ(p.open(dir.file("b.zxa")), 0);
    EXPECT_TRUE(p.Loop());
    p.Rewind();
    bool half = false;
    std::vector<uint8_t> first(p.blockSize());
    for (int i = 0; i < 7; ++i) {
        ASSERT_FALSE(p.NextFrame()) << i;
        // With three frames a restart at buffer 0 would load frame 0 over the half on air.
        EXPECT_NE(p.Half(), half) << i;
        half = p.Half();
        if (i == 0) std::memcpy(first.data(), p.block(), first.size());
        if (i == 3 || i == 6) {
            EXPECT_EQ(std::memcmp(first.data(), p.block(), first.size()), 0);
        }
    }
    // The loop flag from the air frame's SetLoop.
    p.SetLoop(false);
    EXPECT_FALSE(p.NextFrame());
    EXPECT_FALSE(p.NextFrame());
    EXPECT_TRUE(p.NextFrame());
}

TEST_F(Banners, AFrameNotReadWholeEndsTheBannerAndIsNotSent) {
    const BannerHeader h = Header(3, 20, 10);
    WriteBanner(dir.file("b.zxa"), h);
    CBannerPlayer p;
    ASSERT_EQ(p.open(dir.file("b.zxa")), 0);
    EXPECT_FALSE(p.NextFrame());
    std::vector<uint8_t> before(p.FrameBlock().data(), p.FrameBlock().data() + p.blockSize());
    // The file is cut short while it plays.
    ASSERT_EQ(::truncate(dir.file("b.zxa").c_str(), off_t(pages::BannerFramesOffset(h) + p.blockSize() + 10)), 0);
    EXPECT_TRUE(p.NextFrame());
    EXPECT_TRUE(p.Finished());
    EXPECT_EQ(std::memcmp(before.data(), p.block(), before.size()), 0);
}

TEST_F(Banners, ABlockOnItsWayToTheDeviceIsNotOverwritten) {
    WriteBanner(dir.file("b.zxa"), Header(4, 20, 10));
    CBannerPlayer p;
    ASSERT_EQ(p.open(dir.file("b.zxa")), 0);
    p.NextFrame();
    const device::DataRef held = p.FrameBlock();
    std::vector<uint8_t> copy(held.data(), held.data() + held.size());
    p.NextFrame();
    p.NextFrame();  // the buffer of frame 0 again
    EXPECT_EQ(std::memcmp(held.data(), copy.data(), copy.size()), 0);
}

// ---- the converter: pictures --------------------------------------------------------------

TEST_F(Banners, PictureListsAndPairs) {
    pages::CBitmap32 black(40, 20), white(40, 20);
    white.fillAll(0x00FFFFFF);
    ASSERT_EQ(pages::WriteTGA(black, dir.file("x.tga")), pages::FILE_OK);
    // BMP files of 24 bits for the pair.
    auto bmp = [&](const std::string& name, const pages::CBitmap32& b) {
        pages::CBitmap32 pic = b;
        std::vector<uint8_t> out = {'B', 'M'};
        const uint32_t row = uint32_t((b.width() * 3 + 3) & ~3);
        const uint32_t size = 54 + row * uint32_t(b.height());
        auto u32 = [&](uint32_t v) {
            for (int k = 0; k < 4; ++k) out.push_back(uint8_t(v >> (8 * k)));
        };
        u32(size), u32(0), u32(54), u32(40), u32(uint32_t(b.width())), u32(uint32_t(b.height()));
        out.push_back(1), out.push_back(0), out.push_back(24), out.push_back(0);
        u32(0), u32(row * uint32_t(b.height())), u32(0), u32(0), u32(0), u32(0);
        for (int y = b.height() - 1; y >= 0; --y) {
            for (int x = 0; x < b.width(); ++x) {
                const uint8_t* p = pic.pixel(x, y);
                out.push_back(p[0]), out.push_back(p[1]), out.push_back(p[2]);
            }
            while ((out.size() - 54) % 4) out.push_back(0);
        }
        Write(dir.file(name), out);
    };
    bmp("a.bmp", black);
    bmp("a_W.bmp", white);
    bmp("b.bmp", black);
    BannerSource s;
    BannerReport r;
    ASSERT_TRUE(OpenBannerSource({dir.file("b.bmp"), dir.file("a_W.bmp"), dir.file("a.bmp")}, s, r));
    EXPECT_EQ(s.kind, SOURCE_PICTURES);
    ASSERT_EQ(s.pictures.size(), 2u);
    EXPECT_EQ(s.pictures[0], dir.file("a.bmp"));
    EXPECT_EQ(s.pictures[1], dir.file("b.bmp"));
    EXPECT_EQ(s.frames, 2u);
    EXPECT_EQ(s.rate100, 1000u);
    EXPECT_EQ(s.width, 40);
    // A list: relative lines, CR, blanks, a missing file told at the end, a lower-case partner.
    ASSERT_TRUE(zxtest::WriteText(dir.file("list.txt"),
                                  "a.bmp\r\n\r\na_w.bmp\r\nmissing.tga\r\n" + dir.file("x.tga") + "\r\nb.bmp"));
    ASSERT_TRUE(OpenBannerSource({dir.file("list.txt")}, s, r));
    ASSERT_EQ(s.pictures.size(), 3u);
    EXPECT_EQ(s.pictures[1], dir.file("x.tga"));
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_EQ(r.warnings[0].id, IDS_BANNER_MISSING);
    // Converting pairs a with a_W.
    ASSERT_EQ(ConvertBanner(s, BannerOptions{}, dir.file("out.zxa"), nullptr, r), CONVERT_OK);
    CBannerPlayer p;
    ASSERT_EQ(p.open(dir.file("out.zxa")), 0);
    EXPECT_EQ(p.header().frames, 3u);
    EXPECT_EQ(p.preview().pixel(0, 0)[3], 255);  // the pair gave transparency
    // Nothing in the list.
    ASSERT_TRUE(zxtest::WriteText(dir.file("empty.txt"), "\r\n\r\n"));
    EXPECT_FALSE(OpenBannerSource({dir.file("empty.txt")}, s, r));
    EXPECT_EQ(r.error.id, IDS_BANNER_EMPTY);
    EXPECT_EQ(r.error.text(), "Picture list is empty!");
}

TEST_F(Banners, ConversionOfPicturesWritesEvenWidthPositionsAndEveryFrame) {
    std::vector<std::string> files;
    for (int i = 0; i < 3; ++i) {
        files.push_back(dir.file("f" + std::to_string(i) + ".tga"));
        ASSERT_EQ(pages::WriteTGA(Frame(301, 20, i, true), files.back()), pages::FILE_OK);
    }
    BannerSource s;
    BannerReport r;
    ASSERT_TRUE(OpenBannerSource(files, s, r));
    BannerOptions o;
    o.fps = 40;  // kept to 30
    o.x = 0;
    o.y = 1000;
    o.loop = true;
    o.border = 3;
    std::vector<uint32_t> seen;
    ASSERT_EQ(ConvertBanner(
                  s, o, dir.file("out.zxa"),
                  [&](uint32_t i, uint32_t n, const pages::CBitmap32& c) {
                      EXPECT_EQ(n, 3u);
                      EXPECT_EQ(c.width(), 300);
                      seen.push_back(i);
                      return true;
                  },
                  r),
              CONVERT_OK);
    EXPECT_EQ(seen, (std::vector<uint32_t>{0, 1, 2}));
    CBannerPlayer p;
    ASSERT_EQ(p.open(dir.file("out.zxa")), 0);
    const BannerHeader& h = p.header();
    EXPECT_EQ(h.width, 300);
    EXPECT_EQ(h.x, 4);
    EXPECT_EQ(h.y, 572 - 20);
    EXPECT_EQ(h.rate100, 3000u);
    EXPECT_EQ(h.flags, pages::BANNER_HAS_PREVIEW | pages::BANNER_LOOP);
    EXPECT_EQ(h.border, 3);
    pages::CBitmap32 expect;
    expect.copyRegion(Frame(301, 20, 0, true), 0, 0, 300, 20);
    EXPECT_EQ(p.preview(), expect);
    std::vector<uint8_t> block, want(pages::DeviceBlockSize(300, 20));
    ASSERT_TRUE(p.ReadFrame(2, block));
    pages::CBitmap32 third;
    third.copyRegion(Frame(301, 20, 2, true), 0, 0, 300, 20);
    pages::ToDevice(third.view(), 0, 0, 300, 20, want.data(), true);
    EXPECT_EQ(block, want);
    // X past the right: 716 - width, made even.
    s.width = 301;
    o.x = 700;
    EXPECT_EQ(BannerHeaderFor(s, o).x, 416);
    s.width = 303;
    EXPECT_EQ(BannerHeaderFor(s, o).x, 414);
    o.x = -1;
    o.y = -1;
    EXPECT_EQ(BannerHeaderFor(s, o).x, (720 - 302) / 2 & ~1);
}

TEST_F(Banners, CancelAndFailureLeaveNoBanner) {
    std::vector<std::string> files;
    for (int i = 0; i < 3; ++i) {
        files.push_back(dir.file("f" + std::to_string(i) + ".tga"));
        ASSERT_EQ(pages::WriteTGA(Frame(40, 20, i), files.back()), pages::FILE_OK);
    }
    BannerSource s;
    BannerReport r;
    ASSERT_TRUE(OpenBannerSource(files, s, r));
    const BannerProgress stopAfterTwo = [](uint32_t i, uint32_t, const pages::CBitmap32&) { return i < 1; };
    EXPECT_EQ(ConvertBanner(s, {}, dir.file("out.zxa"), stopAfterTwo, r), CONVERT_CANCELLED);
    EXPECT_FALSE(platform::FileExists(dir.file("out.zxa")));
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(e.path().filename().string().rfind("out.zxa", 0), std::string::npos) << e.path();
    EXPECT_EQ(ConvertBanner(s, {}, dir.file("no/such/out.zxa"), nullptr, r), CONVERT_FAILED);
    EXPECT_EQ(r.error.id, 3001);
    // A picture that goes missing after step 1: the frame before stays, the first failure told.
    std::remove(files[1].c_str());
    ASSERT_EQ(ConvertBanner(s, {}, dir.file("out.zxa"), nullptr, r), CONVERT_OK);
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_EQ(r.warnings[0].id, pages::PICTURE_OPEN_ERROR);
    CBannerPlayer p;
    ASSERT_EQ(p.open(dir.file("out.zxa")), 0);
    std::vector<uint8_t> a, b;
    ASSERT_TRUE(p.ReadFrame(0, a));
    ASSERT_TRUE(p.ReadFrame(1, b));
    EXPECT_EQ(a, b);
}

TEST(BannerConverter, SizeLimitsPlayTimeAndRates) {
    EXPECT_EQ(CheckBannerFrameSize(712, 568), 0);
    EXPECT_EQ(CheckBannerFrameSize(713, 568), IDS_VIDEO_TOO_LARGE);
    EXPECT_EQ(CheckBannerFrameSize(713, 100), IDS_VIDEO_TOO_LARGE);
    EXPECT_EQ(CheckBannerFrameSize(712, 569), IDS_VIDEO_TOO_LARGE);
    EXPECT_EQ(CheckBannerFrameSize(1, 100), IDS_VIDEO_TOO_LARGE);
    EXPECT_EQ((BannerMessage{IDS_VIDEO_TOO_LARGE, {}}.text()),
              "Video frame size is too large!\nZentrix is limited to 712 x 568 pixel frames.");
    EXPECT_EQ(BannerPlayTime(100, 2500), "4.0 sec");
    EXPECT_EQ(BannerPlayTime(7, 1000), "0.7 sec");
    EXPECT_EQ(BannerRate100(0), 100u);
    EXPECT_EQ(BannerRate100(31), 3000u);
    EXPECT_TRUE(IsBannerVideoFile("a.AVI"));
    EXPECT_TRUE(IsBannerVideoFile("a.webm"));
    EXPECT_FALSE(IsBannerVideoFile("a.tga"));
}

// ---- the converter: video -----------------------------------------------------------------

TEST_F(Banners, RawVideoOf24And32Bits) {
    ASSERT_TRUE(WriteAviFile(dir.file("raw24.avi"), Frames(5, 64, 32, true), 25, VIDEO_RAW24));
    ASSERT_TRUE(WriteAviFile(dir.file("raw32.avi"), Frames(5, 64, 32, true), 25, VIDEO_RAW32));
    CBannerVideo v;
    ASSERT_EQ(v.Open(dir.file("raw24.avi")), 0);
    EXPECT_EQ(v.info().frames, 5u);
    EXPECT_EQ(v.info().rate100, 2500u);
    EXPECT_EQ(v.info().bitsPerPixel, 24);
    pages::CBitmap32 f;
    ASSERT_TRUE(v.NextFrame(f, false));
    pages::CBitmap32 opaque = Frame(64, 32, 0, false);
    EXPECT_EQ(f, opaque);
    ASSERT_EQ(v.Open(dir.file("raw32.avi")), 0);
    EXPECT_EQ(v.info().bitsPerPixel, 32);
    EXPECT_TRUE(v.info().rawTransparency);
    ASSERT_TRUE(v.NextFrame(f, false));
    EXPECT_EQ(f, Frame(64, 32, 0, true));
    // InverseTGA: the stored byte was opacity.
    ASSERT_EQ(v.Open(dir.file("raw32.avi")), 0);
    ASSERT_TRUE(v.NextFrame(f, true));
    EXPECT_EQ(f.pixel(3, 0)[3], 255);
    EXPECT_EQ(f.pixel(3, 31)[3], 0);
    int n = 1;
    while (v.NextFrame(f, true)) ++n;
    EXPECT_EQ(n, 5);
    // Through the converter: step 2's alpha and the frames.
    BannerSource s;
    BannerReport r;
    ASSERT_TRUE(OpenBannerSource({dir.file("raw32.avi")}, s, r));
    EXPECT_EQ(s.kind, SOURCE_VIDEO);
    EXPECT_EQ(s.bitsPerPixel, 32);
    BannerOptions o;
    o.fps = 25;
    ASSERT_EQ(ConvertBanner(s, o, dir.file("out.zxa"), nullptr, r), CONVERT_OK);
    CBannerPlayer p;
    ASSERT_EQ(p.open(dir.file("out.zxa")), 0);
    EXPECT_EQ(p.header().frames, 5u);
    EXPECT_EQ(p.preview(), Frame(64, 32, 0, true));
}

TEST_F(Banners, MjpegAndAlphaDecoders) {
    ASSERT_TRUE(WriteAviFile(dir.file("mjpeg.avi"), Frames(6, 64, 32), 10, VIDEO_MJPEG));
    CBannerVideo v;
    ASSERT_EQ(v.Open(dir.file("mjpeg.avi")), 0);
    EXPECT_EQ(v.info().frames, 6u);
    EXPECT_EQ(v.info().rate100, 1000u);
    EXPECT_EQ(v.info().bitsPerPixel, 24);
    EXPECT_EQ(v.info().codec, "mjpeg");
    pages::CBitmap32 f;
    ASSERT_TRUE(v.NextFrame(f, false));
    // Lossy, but close, and opaque.
    const pages::CBitmap32 want = Frame(64, 32, 0);
    int worst = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(f.pixel(x, y)[c] - want.pixel(x, y)[c]));
    EXPECT_LT(worst, 48);
    EXPECT_EQ(f.pixel(10, 10)[3], 0);
    // PNG frames carry opacity: transparency is 255 - alpha, whatever InverseTGA says.
    ASSERT_TRUE(WriteAviFile(dir.file("png.avi"), Frames(2, 64, 32, true), 10, VIDEO_PNG));
    ASSERT_EQ(v.Open(dir.file("png.avi")), 0);
    EXPECT_EQ(v.info().bitsPerPixel, 32);
    EXPECT_FALSE(v.info().rawTransparency);
    ASSERT_TRUE(v.NextFrame(f, true));
    EXPECT_EQ(f, Frame(64, 32, 0, true));
}

TEST_F(Banners, WhatTheVideoReaderCannotTake) {
    CBannerVideo v;
    EXPECT_EQ(v.Open(dir.file("none.avi")), IDS_VIDEO_OPEN);
    ASSERT_TRUE(zxtest::WriteText(dir.file("junk.avi"), std::string(4000, 'j')));
    EXPECT_EQ(v.Open(dir.file("junk.avi")), IDS_VIDEO_FORMAT);
    Write(dir.file("audio.avi"), AudioOnlyAvi());
    EXPECT_EQ(v.Open(dir.file("audio.avi")), IDS_VIDEO_NO_STREAM);
    // An unknown FourCC: no decoder.
    std::vector<uint8_t> raw;
    ASSERT_TRUE(EncodeAvi(Frames(3, 32, 16), 10, VIDEO_MJPEG, raw));
    const size_t strh = FindChunk(raw, "strh", 0), strf = FindChunk(raw, "strf", 0);
    ASSERT_NE(strh, std::string::npos);
    std::memcpy(&raw[strh + 4], "ZQXW", 4);
    std::memcpy(&raw[strf + 16], "ZQXW", 4);
    Write(dir.file("fourcc.avi"), raw);
    EXPECT_EQ(v.Open(dir.file("fourcc.avi")), IDS_VIDEO_NO_DECODER);
    BannerSource s;
    BannerReport r;
    EXPECT_FALSE(OpenBannerSource({dir.file("fourcc.avi")}, s, r));
    EXPECT_EQ(r.error.id, IDS_VIDEO_NO_DECODER);
    EXPECT_FALSE(OpenBannerSource({dir.file("junk.avi")}, s, r));
    EXPECT_EQ(r.error.text(), "Read error - invalid file format:\n\n" + dir.file("junk.avi"));
    // From memory as well.
    const std::vector<uint8_t> audio = AudioOnlyAvi();
    EXPECT_EQ(v.OpenMemory(audio.data(), audio.size()), IDS_VIDEO_NO_STREAM);
}

TEST_F(Banners, ADamagedMiddleFrameRepeatsThePreviousAndATruncatedClipKeepsItsFrames) {
    std::vector<uint8_t> clip;
    ASSERT_TRUE(EncodeAvi(Frames(6, 64, 32), 10, VIDEO_MJPEG, clip));
    std::vector<uint8_t> damaged = clip;
    const size_t third = FindChunk(damaged, "00dc", 2);
    ASSERT_NE(third, std::string::npos);
    const uint32_t length = uint32_t(damaged[third - 4]) | uint32_t(damaged[third - 3]) << 8 |
                            uint32_t(damaged[third - 2]) << 16 | uint32_t(damaged[third - 1]) << 24;
    std::memset(&damaged[third], 0, length);  // no JPEG at all
    Write(dir.file("damaged.avi"), damaged);
    BannerSource s;
    BannerReport r;
    ASSERT_TRUE(OpenBannerSource({dir.file("damaged.avi")}, s, r));
    ASSERT_EQ(ConvertBanner(s, BannerOptions{}, dir.file("d.zxa"), nullptr, r), CONVERT_OK);
    ASSERT_EQ(r.notes.size(), 1u);
    EXPECT_EQ(r.notes[0], "1 frame(s) did not decode; the frame before stands in");
    CBannerPlayer p;
    ASSERT_EQ(p.open(dir.file("d.zxa")), 0);
    EXPECT_EQ(p.header().frames, 6u);
    // The frames differ from each other but for the damaged one, which repeats the one before.
    int repeats = 0;
    std::vector<uint8_t> a, b;
    for (uint32_t i = 1; i < 6; ++i) {
        ASSERT_TRUE(p.ReadFrame(i - 1, a));
        ASSERT_TRUE(p.ReadFrame(i, b));
        repeats += a == b;
    }
    EXPECT_EQ(repeats, 1);

    // Cut inside the fourth frame: the count of the header is patched to what was decoded.
    const size_t fourth = FindChunk(clip, "00dc", 3);
    ASSERT_NE(fourth, std::string::npos);
    Write(dir.file("cut.avi"), std::vector<uint8_t>(clip.begin(), clip.begin() + long(fourth) + 10));
    ASSERT_TRUE(OpenBannerSource({dir.file("cut.avi")}, s, r));
    ASSERT_EQ(ConvertBanner(s, BannerOptions{}, dir.file("c.zxa"), nullptr, r), CONVERT_OK);
    ASSERT_EQ(p.open(dir.file("c.zxa")), 0);
    EXPECT_GE(p.header().frames, 3u);
    EXPECT_LT(p.header().frames, 6u);
    EXPECT_FALSE(r.notes.empty());
}

TEST_F(Banners, AFrameOver712IsRefusedBeforeConverting) {
    ASSERT_TRUE(WriteAviFile(dir.file("wide.avi"), Frames(1, 713, 100), 10, VIDEO_RAW24));
    BannerSource s;
    BannerReport r;
    ASSERT_TRUE(OpenBannerSource({dir.file("wide.avi")}, s, r));
    EXPECT_EQ(CheckBannerFrameSize(s.width, s.height), IDS_VIDEO_TOO_LARGE);
    EXPECT_EQ(ConvertBanner(s, {}, dir.file("w.zxa"), nullptr, r), CONVERT_FAILED);
    EXPECT_EQ(r.error.id, IDS_VIDEO_TOO_LARGE);
    EXPECT_FALSE(platform::FileExists(dir.file("w.zxa")));
}
