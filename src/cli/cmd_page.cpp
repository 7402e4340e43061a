// zx page info / render / thumbnail / device-data / compile / sample, zx device-block: looking into
// page files, rendering them, and making Device picture blocks of pictures.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>

#include "app/message_boxes.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "cli/command.h"
#include "pages/device_picture.h"
#include "pages/file_result.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "pages/picture_import.h"
#include "pages/png_io.h"
#include "pages/sample_pages.h"
#include "platform/bytes.h"
#include "platform/code_page.h"
#include "platform/file_reader.h"
#include "platform/files.h"

namespace {

// The fonts a page is laid out with: --fonts DIR, else the Fonts folder of the settings
// (--home DIR), and the Banners folder banner links are kept below.
struct Session {
    std::unique_ptr<app::CZentrixApp> theApp;
    pages::CFontManager fonts;
    std::string banners;

    explicit Session(const zx::Args& a) {
        std::string folder = a.get("fonts", "");
        if (folder.empty() || a.has("home")) {
            theApp = std::make_unique<app::CZentrixApp>();
            theApp->InitSettingsOnly(zx::CommandLineOf(a));
            if (folder.empty()) folder = theApp->GetPath(app::FOLDER_FONTS);
            banners = theApp->GetPath(app::FOLDER_BANNERS);
        }
        fonts.setFolder(folder);
        fonts.Enumerate();
    }
};

int report(const char* cmd, int rc, const std::string& path) {
    std::cerr << "zx " << cmd << ": " << zx::OneLine(app::FileResultText(rc, path)) << "\n";
    return 1;
}

int needOne(const zx::Args& a, const char* cmd, const char* what) {
    if (a.positional.size() != 1) {
        std::cerr << "zx " << cmd << ": give one " << what << " (see --help)\n";
        return 2;
    }
    return 0;
}

// --- JSON ------------------------------------------------------------------------------------

std::string jsonString(const std::string& text8, const platform::CodePage& cp) {
    std::string utf8 = cp.toUtf8(text8), out = "\"";
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string hex(uint32_t v, int digits = 8) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "\"0x%0*X\"", digits, v);
    return buf;
}

std::string rectJson(const pages::Rect& r) {
    std::ostringstream o;
    o << "[" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "]";
    return o.str();
}

const char* typeName(int32_t t) { return t == 0 ? "Fixed frame" : t == 1 ? "Scroller" : t == 2 ? "Roll" : "?"; }

int info(const zx::Args& a) {
    if (int rc = needOne(a, "page info", "page file")) return rc;
    const std::string path = a.positional[0];
    Session s(a);
    pages::CPageDoc page(s.fonts);
    if (!s.banners.empty()) page.setBannersFolder(s.banners);
    pages::CPageImage image;
    int rc = page.Load(pages::LOAD_SUMMARY | pages::LOAD_FRAMES | pages::LOAD_DEVICE, path, image);
    bool framesOnly = false;
    if (rc == pages::FILE_VERSION_ERROR) {  // the oldest version: frames only
        rc = page.Load(pages::LOAD_FRAMES, path, image);
        framesOnly = true;
    }
    if (rc != pages::FILE_OK) return report("page info", rc, path);
    // The header's own numbers, which the page model does not keep.
    uint32_t version = 0, frames = 0, thumbOffset = 0, deviceOffset = 0, deviceSize = 0;
    platform::FileReader head(platform::ResolvePath(path), pages::PAGE_HEADER_SIZE);
    head.seek(4);
    head.fields(version);
    head.seek(12);
    head.fields(frames);
    head.seek(172);
    head.fields(thumbOffset, deviceOffset, deviceSize);
    // Offsets the loader did not need for this report may still be unusable: say so rather than
    // show them as if they were fine.
    std::vector<std::string> problems;
    if (!framesOnly) {
        const uint64_t fileSize = head.size();
        auto outside = [&](const char* name, uint64_t offset, uint64_t size) {
            if (offset >= pages::PAGE_HEADER_SIZE && offset + size <= fileSize) return;
            problems.push_back(std::string(name) + " " + std::to_string(offset) + " (" + std::to_string(size) +
                               " bytes) lies outside the file's " + std::to_string(fileSize) + " bytes");
        };
        outside("thumbnailOffset", thumbOffset, pages::THUMB_SIZE);
        outside("deviceOffset", deviceOffset, deviceSize);
    }
    for (const auto& p : problems) std::cerr << "zx page info: " << path << ": " << p << "\n";
    int codePage = 1251;
    if (auto cpName = a.get("codepage")) codePage = std::atoi(cpName->c_str());
    const platform::CodePage cp(codePage);
    const pages::PageSummary& sm = image.summary;
    std::ostringstream o;
    o << "{\n  \"file\": " << jsonString(path, cp) << ",\n";
    o << "  \"header\": {\"magic\": \"PAGE\", \"version\": " << hex(version) << ", \"frames\": " << frames
      << ", \"backgroundColour\": " << hex(page.backgroundColour)
      << ", \"backgroundPicture\": " << (page.hasBackgroundPicture ? "true" : "false")
      << ", \"backgroundRect\": " << rectJson(page.backgroundRect) << ", \"thumbnailOffset\": " << thumbOffset
      << ", \"deviceOffset\": " << deviceOffset << ", \"deviceSize\": " << deviceSize << "},\n";
    o << "  \"summary\": {\"movingType\": " << sm.movingType << ", \"textLength\": " << sm.textLength
      << ", \"flags\": " << sm.flags << ", \"bounds\": " << rectJson(sm.bounds)
      << ", \"moving\": " << rectJson(sm.moving) << ", \"border\": " << int(sm.border)
      << ", \"description\": " << jsonString(sm.descriptionText(), cp) << (framesOnly ? ", \"usable\": false" : "")
      << "},\n";
    o << "  \"frames\": [";
    for (int i = 0; i < page.frameCount(); ++i) {
        const pages::CPageFrame& f = *page.frame(i);
        size_t runs = 0;
        for (const auto& p : f.paragraphs) runs += p.runs.size();
        o << (i ? ",\n" : "\n") << "    {\"name\": " << jsonString(f.name, cp) << ", \"rect\": " << rectJson(f.rect)
          << ", \"lock\": " << f.lock << ", \"type\": \"" << typeName(f.format.type)
          << "\", \"vAlign\": " << f.format.vAlign << ", \"colour\": " << hex(f.format.colour)
          << ", \"border\": " << f.format.border << ", \"backgroundFrame\": " << f.format.backgroundFrame
          << ", \"hasPicture\": " << f.format.hasPicture << ", \"bannerLink\": " << f.format.bannerLink;
        if (f.format.bannerLink) o << ", \"bannerPath\": " << jsonString(f.bannerPath, cp);
        if (!f.picture.empty()) o << ", \"picture\": [" << f.picture.width() << ", " << f.picture.height() << "]";
        o << ", \"paragraphs\": " << f.paragraphs.size() << ", \"runs\": " << runs << ", \"fonts\": [";
        std::vector<std::string> fonts;
        for (const auto& p : f.paragraphs)
            for (const auto& r : p.runs)
                if (std::find(fonts.begin(), fonts.end(), r.format.fontName()) == fonts.end())
                    fonts.push_back(r.format.fontName());
        for (size_t k = 0; k < fonts.size(); ++k) o << (k ? ", " : "") << jsonString(fonts[k], cp);
        o << "], \"lines\": " << f.lines.size() << ", \"fits\": " << (f.fits ? "true" : "false")
          << ", \"text\": " << jsonString(f.PlainText(), cp) << "}";
    }
    o << (page.frameCount() ? "\n  ],\n" : "],\n");
    const pages::DeviceHeader& d = image.device;
    o << "  \"device\": {\"stillSize\": " << d.stillSize << ", \"stripSize\": " << d.stripSize
      << ", \"chunks\": " << d.chunkCount << ", \"chunkBytes\": " << d.chunkBytes
      << ", \"stripLength\": " << d.stripLength << ", \"flags\": " << int(d.flags)
      << ", \"uniform\": " << (image.uniform() ? "true" : "false")
      << ", \"hasStrip\": " << (image.hasStrip() ? "true" : "false");
    if (const uint8_t* still = image.still()) {
        const uint16_t stored = platform::ByteReader(still, 2).u16();
        const uint16_t sum = pages::DeviceChecksum(still + 2, d.stillSize - 2);
        o << ", \"stillChecksum\": " << hex(stored, 4) << ", \"stillChecksumOk\": "
          << (stored == sum ? "true"
              : stored == 0 ? "\"none\""
                            : "false");
    }
    o << "},\n  \"problems\": [";
    for (size_t i = 0; i < problems.size(); ++i) o << (i ? ", " : "") << jsonString(problems[i], cp);
    o << "]\n}\n";
    std::cout << o.str();
    return 0;
}

int compileOptions(const zx::Args& a) {
    int options = pages::COMPILE_DEVICE | pages::COMPILE_THUMBNAIL;
    if (a.has("filter")) options |= pages::COMPILE_FILTER;
    if (a.has("no-checksum")) options |= pages::COMPILE_NO_CHECKSUM;
    return options;
}

int loadForEditing(Session& s, pages::CPageDoc& page, pages::CPageImage& image, const std::string& path,
                   const char* cmd) {
    if (!s.banners.empty()) page.setBannersFolder(s.banners);
    const int rc = page.Load(pages::LOAD_FRAMES, path, image);
    return rc == pages::FILE_OK ? 0 : report(cmd, rc, path);
}

int render(const zx::Args& a) {
    if (int rc = needOne(a, "page render", "page file")) return rc;
    auto out = a.get("png");
    if (!out || out->empty()) {
        std::cerr << "zx page render: --png OUT.png is missing\n";
        return 2;
    }
    Session s(a);
    pages::CPageDoc page(s.fonts);
    pages::CPageImage image;
    if (int rc = loadForEditing(s, page, image, a.positional[0], "page render")) return rc;
    image.Compile(page, compileOptions(a) & ~pages::COMPILE_DEVICE);
    if (!pages::WritePng(*out, image.picture)) {
        std::cerr << "zx page render: cannot write " << *out << "\n";
        return 1;
    }
    std::cout << "Wrote " << *out << ": 720 x 576" << (image.strip.empty() ? "" : ", with the start of the moving text")
              << "\n";
    return 0;
}

int thumbnail(const zx::Args& a) {
    if (int rc = needOne(a, "page thumbnail", "page file")) return rc;
    auto out = a.get("png");
    if (!out || out->empty()) {
        std::cerr << "zx page thumbnail: --png OUT.png is missing\n";
        return 2;
    }
    pages::CFontManager fonts;  // the cached thumbnail needs no fonts
    pages::CPageDoc page(fonts);
    pages::CPageImage image;
    const int rc = page.Load(pages::LOAD_THUMBNAIL, a.positional[0], image);
    if (rc != pages::FILE_OK) return report("page thumbnail", rc, a.positional[0]);
    if (!pages::WritePng(*out, image.thumbnail)) {
        std::cerr << "zx page thumbnail: cannot write " << *out << "\n";
        return 1;
    }
    std::cout << "Wrote " << *out << ": 360 x 288\n";
    return 0;
}

// The Device data a page file holds, decoded back into pictures: the still, and each chunk of the
// strip (along the motion: across for a crawl, down for a roll).
int deviceData(const zx::Args& a) {
    if (int rc = needOne(a, "page device-data", "page file")) return rc;
    auto out = a.get("out");
    if (!out || out->empty()) {
        std::cerr << "zx page device-data: --out DIR is missing\n";
        return 2;
    }
    pages::CFontManager fonts;  // the stored data needs no fonts
    pages::CPageDoc page(fonts);
    pages::CPageImage image;
    const int rc = page.Load(pages::LOAD_DEVICE, a.positional[0], image);
    if (rc != pages::FILE_OK) return report("page device-data", rc, a.positional[0]);
    const std::string dir = out->back() == '/' ? *out : *out + "/";
    if (!platform::MakeDirectories(dir)) {
        std::cerr << "zx page device-data: cannot make the folder " << *out << "\n";
        return 1;
    }
    int pictures = 0;
    auto write = [&](const pages::CBitmap32& picture, const std::string& name) {
        if (picture.empty()) {
            std::cerr << "zx page device-data: " << name << " is not a whole picture block\n";
            return false;
        }
        if (!pages::WritePng(dir + name, picture.view())) {
            std::cerr << "zx page device-data: cannot write " << dir + name << "\n";
            return false;
        }
        std::cout << "Wrote " << dir + name << ": " << picture.width() << " x " << picture.height() << "\n";
        ++pictures;
        return true;
    };
    if (const uint8_t* still = image.still()) {
        pages::CBitmap32 picture;
        if (image.uniform()) {
            // One pixel pair that fills the screen.
            const pages::CBitmap32 pair = pages::FromDevice(still, image.device.stillSize, 2, 1);
            if (!pair.empty()) {
                picture.create(pages::DEVICE_WIDTH, pages::DEVICE_HEIGHT);
                for (int32_t y = 0; y < picture.height(); ++y)
                    for (int32_t x = 0; x < picture.width(); ++x)
                        std::copy_n(pair.pixel(x & 1, 0), 4, picture.pixel(x, y));
            }
        } else {
            picture = pages::FromDevice(still, image.device.stillSize, pages::DEVICE_WIDTH, pages::DEVICE_HEIGHT);
        }
        if (!write(picture, "still.png")) return 1;
    }
    const bool roll = image.summary.flags & pages::SUMMARY_NOT_SCROLLER;
    const int32_t cross = int32_t(image.device.chunkBytes >= 2 ? (image.device.chunkBytes - 2) / 512 : 0);
    for (uint32_t k = 0; k < image.device.chunkCount; ++k) {
        size_t size = 0;
        const uint8_t* chunk = image.chunk(k, &size);
        const int32_t along = cross > 0 ? int32_t(size > 2 ? (size - 2) / 2 / size_t(cross) : 0) : 0;
        const pages::CBitmap32 picture = pages::FromDevice(chunk, size, roll ? cross : along, roll ? along : cross);
        if (!write(picture, "chunk" + std::to_string(k) + ".png")) return 1;
    }
    if (pictures == 0) std::cout << "No Device data in " << a.positional[0] << "\n";
    return 0;
}

int saveCompiled(pages::CPageDoc& page, pages::CPageImage& image, const std::string& path, int options,
                 const char* cmd) {
    image.Compile(page, options);
    const int rc = page.Save(path, image);
    if (rc != pages::FILE_OK) return report(cmd, rc, path);
    std::cout << "Wrote " << path << ": " << page.frameCount() << " frames, still " << image.device.stillSize
              << " bytes" << (image.uniform() ? " (uniform)" : "");
    if (image.hasStrip())
        std::cout << ", strip " << image.device.stripSize << " bytes in " << image.device.chunkCount << " chunks";
    std::cout << "\n";
    return 0;
}

int compile(const zx::Args& a) {
    if (int rc = needOne(a, "page compile", "page file")) return rc;
    Session s(a);
    pages::CPageDoc page(s.fonts);
    pages::CPageImage image;
    if (int rc = loadForEditing(s, page, image, a.positional[0], "page compile")) return rc;
    return saveCompiled(page, image, a.positional[0], compileOptions(a), "page compile");
}

int sample(const zx::Args& a) {
    if (int rc = needOne(a, "page sample", "kind")) return rc;
    pages::SamplePage kind;
    if (!pages::SamplePageByName(a.positional[0], kind)) {
        std::cerr << "zx page sample: the kinds are";
        for (const auto& n : pages::SamplePageNames()) std::cerr << " " << n;
        std::cerr << "\n";
        return 2;
    }
    auto out = a.get("out");
    auto font = a.get("font");
    if (!out || out->empty() || !font || font->empty()) {
        std::cerr << "zx page sample: --font NAME and --out FILE.zxg are needed\n";
        return 2;
    }
    Session s(a);
    if (!s.fonts.Find(*font)) {
        std::cerr << "zx page sample: no font " << *font << " in " << s.fonts.folder() << "\n";
        return 1;
    }
    pages::CPageDoc page(s.fonts);
    if (!s.banners.empty()) page.setBannersFolder(s.banners);
    pages::BuildSamplePage(page, kind, *font);
    pages::CPageImage image;
    return saveCompiled(page, image, *out, compileOptions(a), "page sample");
}

int deviceBlock(const zx::Args& a) {
    if (int rc = needOne(a, "device-block", "picture")) return rc;
    auto out = a.get("out");
    if (!out || out->empty()) {
        std::cerr << "zx device-block: --out FILE is missing\n";
        return 2;
    }
    const std::string path = a.positional[0];
    pages::CBitmap32 picture;
    // PNG through libpng; BMP and TGA through the picture import (with the InverseTGA rule).
    if (platform::EqualsNoCase(platform::ExtensionOfPath(path), ".png")) {
        if (!pages::ReadPng(path, picture)) {
            std::cerr << "zx device-block: cannot read the picture " << path << "\n";
            return 1;
        }
    } else if (int rc = pages::LoadPicture(path, picture); rc != pages::PICTURE_OK) {
        const std::string text = zx::OneLine(app::FormatText(app::LoadString(rc), {path}));
        std::cerr << "zx device-block: " << text << "\n";
        return 1;
    }
    if (picture.width() % 2) {
        std::cerr << "zx device-block: the picture is " << picture.width()
                  << " pixels wide; Device pictures need an even width\n";
        return 1;
    }
    if (a.has("filter")) picture.verticalFilter(0, 0, 0, 0);
    std::vector<uint8_t> block(pages::DeviceBlockSize(picture.width(), picture.height()));
    picture.toDevice(block.data(), 0, 0, picture.width(), picture.height(), !a.has("no-checksum"));
    if (!platform::WriteFileAtomic(*out, block)) {
        std::cerr << "zx device-block: cannot write " << *out << "\n";
        return 1;
    }
    std::printf("Wrote %s: %d x %d, %zu bytes, checksum 0x%04X\n", out->c_str(), picture.width(), picture.height(),
                block.size(), unsigned(platform::ByteReader(block.data(), block.size()).u16()));
    return 0;
}

const std::vector<std::string> kPageOptions = {"fonts", "home", "png", "out", "font", "codepage"};

zx::Register r1({"page info", "FILE.zxg [--fonts DIR | --home DIR]",
                 "Print a page file as JSON: header, summary, frames and the Device data header.", kPageOptions, info});
zx::Register r2({"page render", "FILE.zxg --png OUT.png [--filter] [--fonts DIR | --home DIR]",
                 "Render a page into its 720 x 576 picture (alpha = 255 - transparency), with the start of the "
                 "moving text and the banner placeholders.",
                 kPageOptions, render});
zx::Register r3({"page thumbnail", "FILE.zxg --png OUT.png", "Write the thumbnail cached in a page file as PNG.",
                 kPageOptions, thumbnail});
zx::Register r4({"page compile", "FILE.zxg [--filter] [--no-checksum] [--fonts DIR | --home DIR]",
                 "Render a page again and rewrite its summary, thumbnail and Device data.", kPageOptions, compile});
zx::Register r5({"page sample", "text|lower-third|picture|roll --font NAME --out FILE.zxg [--filter] [--fonts DIR]",
                 "Build a sample page in a font of the Fonts folder, compile it and save it.", kPageOptions, sample});
zx::Register r7({"page device-data", "FILE.zxg --out DIR",
                 "Decode the Device data a page file holds back into pictures: DIR/still.png and DIR/chunkN.png "
                 "for each chunk of the moving text's strip.",
                 kPageOptions, deviceData});
zx::Register r6({"device-block", "PICTURE.(png|bmp|tga) --out FILE [--filter] [--no-checksum]",
                 "Convert a picture of even width into one Device picture block: two checksum bytes, then the "
                 "words.",
                 kPageOptions, deviceBlock});

}  // namespace
