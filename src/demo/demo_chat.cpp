#include "demo/demo_chat.h"

#include "air/seq_doc.h"
#include "app/profile.h"
#include "app/zentrix_app.h"
#include "demo/demo_pages.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "sms/chat_filter.h"

namespace demo {

namespace {

std::string Cp(const char* utf8) {
    static const platform::CodePage cp(1251);
    return cp.fromUtf8(utf8);
}

// A clock that stands still, so nothing of the moment leaks into the files.
class FixedClock final : public platform::Clock {
public:
    uint32_t ticks() const override { return 0; }
    platform::LocalTime localTime() const override {
        platform::LocalTime t;
        t.year = 2024;
        t.month = 1;
        t.day = 1;
        return t;
    }
};

// A dozen messages a minute after Start: every coding, a filtered word, a message in three
// parts, an alphanumeric sender and a status report.
constexpr char kScript[] =
    "# The SMS chat demo: what the simulated modem on COM2 receives, in seconds after Start\r\n"
    "# (tools/gsmsim/README.md, \"Scripts\").\r\n"
    "3    sms --from +38164111222 Good evening, studio! Greetings from Belgrade.\r\n"
    "7    sms --from +79161234567 --coding ucs2 Привет из Москвы! Смотрим каждый вечер.\r\n"
    "11   sms --from +447700900123 --coding 7bit Buy cheap watches, spam spam spam!\r\n"
    "15   sms --from-alpha RADIO1 Radio One says hello to all viewers\r\n"
    "19   sms --from +38163555111 --coding 8bit Поздрав за све гледаоце из Новог Сада!\r\n"
    "23   sms --from +79035554433 --coding ucs2 Ведущий, ты дурак! Шучу, привет :)\r\n"
    "27   status-report --to +38164111222\r\n"
    "30   sms --from +79031112233 --coding ucs2 Это длинное сообщение приходит в трёх частях: модем хранит "
    "каждую часть отдельно, и программа показывает каждую часть своей строкой, одну за другой, в том порядке, "
    "в каком они пришли.\r\n"
    "35   sms --from +38165123123 --coding auto Tonight's score: 3-1 {great game}\r\n"
    "39   sms --from +79267778899 --coding auto Спасибо за передачу!\r\n"
    "43   sms --from +38160700700 Hello from Novi Sad, greetings to my family\r\n"
    "47   sms --from +447911123456 --coding ucs2 Ёлки-палки, what a show! €5 says they win\r\n"
    "51   sms --from +38164111222 Last one for tonight: good night everybody\r\n"
    "# Votes for the Interactive system's demo (keywords TEA, COFFEE, JUICE; one number twice).\r\n"
    "5    sms --from +38164222333 I vote for tea!\r\n"
    "9    sms --from +79165550101 --coding ucs2 Голосую: coffee\r\n"
    "13   sms --from +447700900555 JUICE please\r\n"
    "17   sms --from +38164222333 tea again, tea forever\r\n"
    "21   sms --from +38165000111 Coffee, of course\r\n"
    "25   sms --from +79035550202 --coding ucs2 Чай? Нет, juice!\r\n"
    "33   sms --from +38160999888 Is this the vote? I like nothing\r\n"
    "37   sms --from +38160777666 tea\r\n";

}  // namespace

std::vector<std::string> DemoChatFilterWords() {
    return {"spam", "idiot", "stupid", Cp("дурак"), Cp("идиот"), Cp("глупый")};
}

bool WriteDemoChat(app::CZentrixApp& theApp, pages::CFontManager& fonts, std::vector<std::string>& files,
                   std::string& error) {
    const std::string root = theApp.GetPath(app::FOLDER_ROOT);
    FixedClock still;

    // The page: a locked caption over a two-line message frame.
    pages::CPageDoc page(fonts, &still);
    page.NewPage();
    page.SetBackgroundColour(0xFF000000);
    struct FrameRecipe {
        const char* name;
        pages::Rect rect;
        const char* text;
        const char* font;
        uint32_t colour;
        int32_t align;
        bool locked;
    };
    const FrameRecipe frames[] = {
        {"Caption", {60, 396, 300, 436}, "SMS to 1234", kSans, 0x200060C0, pages::ALIGN_CENTER, true},
        {"Message", {60, 436, 660, 532}, "Your message on air", kSansShadow, 0x30602008, pages::ALIGN_LEFT, false},
    };
    for (const FrameRecipe& f : frames) {
        pages::FrameFormat ff;
        ff.colour = f.colour;
        ff.vAlign = pages::VALIGN_CENTER;
        pages::ParaFormat pf;
        pf.align = f.align;
        pf.leftMargin = pf.rightMargin = 10;
        pages::TextFormat tf;
        tf.setFontName(f.font);
        const pages::CBitmapFont* font = fonts.Find(f.font);
        tf.tint = font && font->isMonochrome() ? 1 : 0;
        tf.colour = 0x00FFFFFF;
        const int i = page.CreateFrame(f.rect, ff, pf, tf, f.name);
        pages::CPageFrame& frame = *page.frame(i);
        frame.InsertText(Cp(f.text), fonts);
        frame.ResetView();
        frame.lock = f.locked ? 1 : 0;
    }
    page.LayoutAll();
    pages::CPageImage image;
    image.Compile(page, pages::COMPILE_DEVICE | pages::COMPILE_THUMBNAIL | pages::COMPILE_FILTER);
    const std::string pagePath = root + kChatPage;
    if (page.Save(pagePath, image) != 0) {
        error = "cannot write " + pagePath;
        return false;
    }
    files.push_back(kChatPage);

    // The template: the page for six seconds, in and out with a wipe.
    air::CSeqDoc seq(theApp.folders(), still);
    seq.NewSequence();
    air::ShowParams params;
    params.showTime = 6;
    params.inType = 1;
    params.inSpeed = 12;
    params.outType = 1;
    params.outSpeed = 12;
    seq.AppendPage(pagePath, params);
    const std::string seqPath = root + kChatTemplate;
    if (!platform::MakeDirectories(platform::DirectoryOf(seqPath)) || seq.SaveSequence(seqPath) != air::SEQ_OK) {
        error = "cannot write " + seqPath;
        return false;
    }
    files.push_back(kChatTemplate);

    if (!sms::CChatFilter::SaveFile(root + kChatFilter, DemoChatFilterWords())) {
        error = "cannot write " + root + kChatFilter;
        return false;
    }
    files.push_back(kChatFilter);
    // The script as a Linux editor would keep it: UTF-8.
    const std::string scriptPath = root + kChatScript;
    if (!platform::MakeDirectories(platform::DirectoryOf(scriptPath)) ||
        !platform::WriteFileAtomic(scriptPath, std::string_view(kScript))) {
        error = "cannot write " + scriptPath;
        return false;
    }
    files.push_back(kChatScript);

    // SMS Chat in the menu (a GSM modem as the interactive hardware), on the simulator of COM2.
    app::Profile& ini = theApp.profile();
    app::Profile::Batch batch(ini);
    ini.putInt("Hardware", "ITV", 1);
    ini.putInt("Hardware", "ITVModel", 2);
    ini.putInt("Hardware", "ITVPortNo", 1);
    ini.putString("Serial", "COM2", "sim");
    ini.putString("Serial", "SimScript", kChatScript);
    ini.putString("SMSChat", "FileName", kChatTemplate);
    ini.putInt("SMSChat", "FastMode", 1);
    return true;
}

}  // namespace demo
