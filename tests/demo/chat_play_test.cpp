// SMS Chat headless on the demo's template, with the modem simulator on a pseudo-terminal and the
// embedded virtual Device in scaled time: messages in the default alphabet, in UCS2 Cyrillic and
// with a filtered word arrive, are listed filtered, and go on air one after the other, each
// picture of the program output showing the template with that message's text.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "air/titr_model.h"
#include "demo/chat_playout.h"
#include "demo/demo_chat.h"
#include "gsmsim/embedded.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "pages/png_io.h"
#include "platform/code_page.h"
#include "playout_fixture.h"

using demotest::DemoPlayout;
using demotest::Grab;

namespace {

const platform::CodePage kCp{1251};

// Of the pixels the reference draws near white inside r, the share that is near white on the
// program output.
double Shown(const pages::CBitmap32& ref, const pages::CBitmap32& out, const pages::Rect& r) {
    int drawn = 0, seen = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const uint8_t* t = ref.pixel(x, y);
            if (t[pages::PIX_RED] < 220 || t[pages::PIX_GREEN] < 220 || t[pages::PIX_BLUE] < 220) continue;
            ++drawn;
            const uint8_t* o = out.pixel(x, y);
            seen += o[pages::PIX_RED] > 160 && o[pages::PIX_GREEN] > 160 && o[pages::PIX_BLUE] > 160;
        }
    return drawn > 50 ? double(seen) / drawn : 0;
}

}  // namespace

TEST_F(DemoPlayout, ChatMessagesFromTheModemGoOnAirFilteredOneAfterTheOther) {
    // The messages come from the test, not from the demo's script.
    app.profile().putString("Serial", "SimScript", "");
    gsmsim::RegisterEmbeddedModem();
    const int port = app.settings().itvPortNo;
    std::atomic<bool> stop{false}, late{false};
    std::thread sender([&] {
        const char* messages[] = {
            "sms --from +38164111222 --coding 7bit Hello studio, no SPAM here",
            "sms --from +79161234567 --coding ucs2 Привет, дурак! Ёж",
            "sms --from-alpha RADIO1 --coding auto Third, spammy one",
        };
        // The simulator starts when the engine first opens the port; the messages come once the
        // engine has had time to set the modem up, so that each is announced.
        while (!stop && !gsmsim::WithEmbeddedModem(port, [](gsmsim::Simulator&) {}))
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        for (const char* m : messages) {
            gsmsim::WithEmbeddedModem(port, [&](gsmsim::Simulator& s) { s.control(m); });
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
        // A run that has not shown them within a minute will not.
        for (int i = 0; i < 1200 && !stop; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        late = !stop;
    });
    demo::CChatPlayout playout(app, engine, fonts, loop, out);
    playout.setGrabber(Grab);
    demo::ChatPlayOptions o;
    o.templ = dir.file(demo::kChatTemplate);
    o.count = 3;
    o.timeScale = demotest::kScale;
    o.snapshots = dir.file("Snapshots");
    o.interrupted = &late;
    std::string error;
    const int status = playout.Run(o, error);
    stop = true;
    sender.join();
    gsmsim::UnregisterEmbeddedModem();
    ASSERT_EQ(status, demo::PLAY_OK) << error << "\n" << out.str();

    const std::vector<std::string> expected = {"Hello studio, no **** here", kCp.fromUtf8("Привет, *****! Ёж"),
                                               "Third, spammy one"};
    // The modem may list them in another order; they go on air in the order of the list.
    std::vector<std::string> listed = playout.listed(), sorted = expected;
    std::sort(listed.begin(), listed.end());
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(listed, sorted) << out.str();
    EXPECT_EQ(playout.shown(), playout.listed());
    EXPECT_EQ(playout.received(), 3);
    EXPECT_NE(out.str().find("status: OK: "), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("#2 Queued"), std::string::npos);
    EXPECT_NE(out.str().find(" RADIO1: Third, spammy one"), std::string::npos);

    // Each message's page as the chat compiles it: the reference its pictures are held against.
    pages::CPageDoc page(fonts);
    pages::CPageImage image;
    ASSERT_EQ(page.Load(pages::LOAD_FRAMES | pages::LOAD_THUMBNAIL, dir.file(demo::kChatPage), image), 0);
    const pages::CPageFrame& caption = *page.frame(0);
    pages::CPageFrame& message = *page.frame(1);
    std::vector<pages::CBitmap32> refs;
    for (const std::string& text : expected) {
        air::CTitrModel::ReplaceFrameText(message, text);
        image.Compile(page, pages::COMPILE_FILTER);
        refs.push_back(image.picture);
    }
    std::vector<int> seenOnAir(expected.size(), 0);
    for (const demo::ChatSnapshot& s : playout.snapshots()) {
        if (!s.onAir || s.file.find("on-air") == std::string::npos) continue;
        const auto it = std::find(expected.begin(), expected.end(), s.text);
        ASSERT_NE(it, expected.end()) << s.file;
        const size_t i = size_t(it - expected.begin());
        pages::CBitmap32 pic;
        ASSERT_TRUE(pages::ReadPng(o.snapshots + "/" + s.file, pic)) << s.file;
        EXPECT_GT(Shown(refs[i], pic, caption.rect), 0.8) << s.file;
        EXPECT_GT(Shown(refs[i], pic, message.rect), 0.8) << s.file;
        // And not another message's text.
        for (size_t k = 0; k < refs.size(); ++k)
            if (k != i) {
                EXPECT_LT(Shown(refs[k], pic, message.rect), 0.8) << s.file << " against " << k;
            }
        ++seenOnAir[i];
    }
    EXPECT_EQ(seenOnAir, (std::vector<int>{1, 1, 1})) << out.str();
}

TEST_F(DemoPlayout, ChatTemplateErrorsEndTheRun) {
    demo::CChatPlayout playout(app, engine, fonts, loop, out);
    demo::ChatPlayOptions o;
    o.templ = dir.file("Titr/missing.zxs");
    std::string error;
    EXPECT_EQ(playout.Run(o, error), demo::PLAY_FILE_ERROR);
    EXPECT_NE(error.find("Error opening file:"), std::string::npos) << error;
    // A sequence of a page whose frames are all locked.
    o.templ = dir.file(demo::kNewsSequence);
    air::CSeqDoc seq(app.folders(), clock);
    ASSERT_EQ(seq.LoadSequence(o.templ), air::SEQ_OK);
    pages::CPageDoc page(fonts);
    pages::CPageImage image;
    const std::string first = seq.FullPath(seq.items.front());
    ASSERT_EQ(page.Load(pages::LOAD_FRAMES | pages::LOAD_THUMBNAIL | pages::LOAD_DEVICE, first, image), 0);
    for (int i = 0; i < page.frameCount(); ++i) page.frame(i)->lock = 1;
    ASSERT_EQ(page.Save(first, image), 0);
    EXPECT_EQ(playout.Run(o, error), demo::PLAY_FILE_ERROR);
    EXPECT_NE(error.find("This page has no frames!"), std::string::npos) << error;
}
