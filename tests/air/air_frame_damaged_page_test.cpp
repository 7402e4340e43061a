// A page whose cached Device data is damaged (its still does not match its checksum): a list skips
// it as it skips a missing page, with the page's warning, and plays the rest; played alone it is
// refused with the read error. Sent as it is, the Device would refuse it and the link would drop.
#include <gtest/gtest.h>

#include "air_frame_fixture.h"
#include "pages/device_picture.h"
#include "pages/file_result.h"

using namespace air;
using namespace airtest;
using device::CMD_LOAD_RECT;

namespace {

using AirFrameDamagedPage = AirFrameFixture;

// A page with a full still carrying a checksum, damaged or not.
void WriteCheckedPage(pages::CFontManager& fonts, const std::string& path, bool damaged) {
    pages::CPageImage img = MakeImage({});
    for (size_t i = 2; i < img.data.size(); ++i) img.data[i] = uint8_t(i * 7);
    const uint16_t sum = pages::DeviceChecksum(img.data.data() + 2, img.data.size() - 2);
    img.data[0] = uint8_t(sum), img.data[1] = uint8_t(sum >> 8);
    if (damaged) img.data[5000] ^= 0x10;  // one bit flipped after the compile
    pages::CPageDoc doc(fonts);
    ASSERT_EQ(doc.Save(path, img), 0);
}

}  // namespace

TEST_F(AirFrameDamagedPage, AListSkipsItWithItsWarningAndPlaysOn) {
    addPage("a.zxg");
    addPage("b.zxg");
    addPage("c.zxg");
    WriteCheckedPage(fonts, dir.file("Pages/a.zxg"), false);
    WriteCheckedPage(fonts, dir.file("Pages/b.zxg"), true);
    open();
    frame->PlayPageList();
    finish();
    ASSERT_EQ(state(), AIR_CUED);
    EXPECT_EQ(frame->State().current, 0);
    frame->OnPlay();
    finish();  // a is on air; the next page is looked for: b is damaged, c goes into the hidden buffer
    EXPECT_EQ(frame->State().current, 2);
    EXPECT_EQ(state(), AIR_COPYING);
    EXPECT_EQ(engine.count(CMD_LOAD_RECT), 2u);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.lastText(), app::FormatText(app::LoadString(3002), {dir.file("Pages/b.zxg")}));
    EXPECT_EQ(boxes.lastStyle() & app::MB_ICONMASK, app::MB_ICONWARNING);  // the show goes on
    EXPECT_FALSE(seq->items[1].checked);
    EXPECT_TRUE(logged("CAirFrame::Prepare : " + dir.file("Pages/b.zxg") + " is damaged, skipped"));
    finish();
    EXPECT_EQ(state(), AIR_WAIT_IN);
}

TEST_F(AirFrameDamagedPage, TheLastGoodPageStaysOnAirWhenOnlyDamagedOnesFollow) {
    addPage("a.zxg");
    addPage("b.zxg");
    WriteCheckedPage(fonts, dir.file("Pages/b.zxg"), true);
    open();
    frame->PlayPageList();
    finish();
    frame->OnPlay();
    finish();
    EXPECT_EQ(state(), AIR_WAIT_OUT);  // a is the last page now: out when its time ends
    advance(5000);
    EXPECT_EQ(state(), AIR_OUT_EFFECT);
}

TEST_F(AirFrameDamagedPage, PlayedAloneItIsRefusedWithTheReadError) {
    WriteCheckedPage(fonts, dir.file("Pages/bad.zxg"), true);
    WriteCheckedPage(fonts, dir.file("Pages/good.zxg"), false);
    EXPECT_EQ(page.Load(pages::LOAD_DEVICE | pages::LOAD_VERIFY, dir.file("Pages/bad.zxg"), image),
              pages::FILE_FORMAT_ERROR);
    EXPECT_EQ(page.Load(pages::LOAD_DEVICE | pages::LOAD_VERIFY, dir.file("Pages/good.zxg"), image), pages::FILE_OK);
    // Without the check (page info, the editor) the damaged page still reads.
    EXPECT_EQ(page.Load(pages::LOAD_DEVICE, dir.file("Pages/bad.zxg"), image), pages::FILE_OK);
}
