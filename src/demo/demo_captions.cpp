#include "demo/demo_captions.h"

#include "air/captions_file.h"
#include "app/zentrix_app.h"
#include "demo/demo_pages.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "platform/code_page.h"

namespace demo {

namespace {

// Written here in UTF-8; a caption's lines are joined by CR LF.
const char* const kCaptions[] = {
    "Good evening and welcome to the news",
    "Добрый вечер!\r\nВы смотрите вечерние новости",
    "The city council met today\r\nto discuss the new bridge",
    "Городской совет обсудил строительство нового моста",
    "Construction is planned to start in the spring and should take no more than two years to finish",
    "Weather: sunny, +18",
    "Погода: солнечно, +18",
    "Sport: the home team won 2:1",
    "Спорт: хозяева поля победили со счётом 2:1",
    "Captions in two languages,\r\none key on the keyboard",
    "Субтитры на двух языках",
    "Thank you for watching — good night!",
};

}  // namespace

std::vector<std::string> DemoCaptions() {
    const platform::CodePage cp(1251);
    std::vector<std::string> out;
    for (const char* c : kCaptions) out.push_back(cp.fromUtf8(c));
    return out;
}

bool WriteDemoCaptions(app::CZentrixApp& theApp, pages::CFontManager& fonts, const platform::Clock* clock,
                       std::vector<std::string>& files, std::string& error) {
    pages::CPageDoc page(fonts, clock);
    page.NewPage();
    pages::FrameFormat ff;
    ff.colour = 0x60501800;  // a dark blue panel, half transparent
    ff.vAlign = pages::VALIGN_CENTER;
    pages::ParaFormat pf;
    pf.align = pages::ALIGN_CENTER;
    pf.leftMargin = pf.rightMargin = 12;
    pages::TextFormat tf;
    tf.setFontName(kSansShadow);
    const pages::CBitmapFont* font = fonts.Find(kSansShadow);
    tf.tint = font && font->isMonochrome() ? 1 : 0;
    tf.colour = 0x00FFFFFF;
    page.CreateFrame({60, 464, 660, 560}, ff, pf, tf, pages::CPageFrame::DefaultName(1));
    page.frame(0)->InsertText("Caption", fonts);
    page.LayoutAll();
    pages::CPageImage image;
    image.Compile(page, pages::COMPILE_DEVICE | pages::COMPILE_THUMBNAIL | pages::COMPILE_FILTER);
    const std::string root = theApp.GetPath(app::FOLDER_ROOT);
    const std::string pagePath = root + kCaptionPage;
    if (page.Save(pagePath, image) != 0) {
        error = "cannot write " + pagePath;
        return false;
    }
    files.push_back(kCaptionPage);
    const std::string titlesPath = root + kCaptionTitles;
    if (air::WriteCaptionsFile(titlesPath, DemoCaptions()) != 0) {
        error = "cannot write " + titlesPath;
        return false;
    }
    files.push_back(kCaptionTitles);
    app::Profile& ini = theApp.profile();
    app::Profile::Batch batch(ini);
    // Below the data root, so that the root may move.
    ini.putString("Captions", "FileName", kCaptionPage);
    ini.putString("Captions", "TitlesFile", kCaptionTitles);
    ini.putInt("Captions", "TimeBase", 5);
    ini.putInt("Captions", "Fade", 1);
    ini.putInt("Captions", "FastMode", 1);
    ini.putInt("Captions", "Blends", 2);
    return true;
}

}  // namespace demo
