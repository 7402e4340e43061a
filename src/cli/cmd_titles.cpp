// zx titles tree / fields / render / play: Live mode's titles tree as it is built, a title's
// fill-in fields, a title filled in as "Render" fills it (as a picture, or played headless).
#include <iostream>
#include <memory>
#include <sstream>

#include "air/titles_tree.h"
#include "air/titr_model.h"
#include "app/message_boxes.h"
#include "app/zentrix_app.h"
#include "cli/command.h"
#include "pages/file_result.h"
#include "pages/font_manager.h"
#include "pages/png_io.h"
#include "platform/code_page.h"
#include "platform/files.h"

namespace {

struct Session {
    app::CZentrixApp theApp;
    pages::CFontManager fonts;
    std::unique_ptr<platform::CodePage> cp;

    explicit Session(const zx::Args& a) {
        theApp.InitSettingsOnly(zx::CommandLineOf(a));
        fonts.setFolder(theApp.GetPath(app::FOLDER_FONTS));
        fonts.Enumerate();
        cp = std::make_unique<platform::CodePage>(theApp.settings().codePage);
    }
    std::string utf8(const std::string& text8) const { return cp->toUtf8(text8); }
};

std::string json(const std::string& utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
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

void printText(const Session& s, const air::TitlesNode& n, int depth, std::ostream& o) {
    o << std::string(size_t(depth) * 2, ' ') << s.utf8(n.text);
    if (n.isFile())
        o << "  [" << air::TitrKindName(n.kind) << (n.enabled ? "" : ", not playable here") << "]  " << s.utf8(n.path);
    else if (depth == 0 && n.children.empty()) o << "  (empty)";
    o << "\n";
    for (const air::TitlesNode& c : n.children) printText(s, c, depth + 1, o);
}

void printJson(const Session& s, const air::TitlesNode& n, int depth, std::ostream& o) {
    const std::string pad(size_t(depth) * 2 + 2, ' ');
    o << pad << "{\"text\": " << json(s.utf8(n.text)) << ", \"kind\": " << n.kind << ", \"type\": \""
      << air::TitrKindName(n.kind) << "\", \"path\": " << json(s.utf8(n.path))
      << ", \"enabled\": " << (n.enabled ? "true" : "false");
    if (depth == 0) o << ", \"expanded\": " << (n.expanded ? "true" : "false");
    if (!n.children.empty()) {
        o << ", \"children\": [\n";
        for (size_t i = 0; i < n.children.size(); ++i) {
            printJson(s, n.children[i], depth + 1, o);
            o << (i + 1 < n.children.size() ? ",\n" : "\n");
        }
        o << pad << "]";
    }
    o << "}";
}

int tree(const zx::Args& a) {
    Session s(a);
    air::TitlesTreeOptions options;
    options.mpegBoards = s.theApp.settings().mpeg != 0;
    // What this program plays today: clips and video playlists wait for their players.
    options.playableKinds = air::TITR_TITLE | air::TITR_SEQUENCE | air::TITR_CLOCK | air::TITR_BANNER;
    options.expanded = air::TitrSettings::Load(s.theApp.profile(), air::kTitlesGroupCount).nodes;
    const std::vector<air::TitlesNode> t = air::BuildTitlesTree(s.theApp.folders(), options);
    if (a.has("json")) {
        std::cout << "[\n";
        for (size_t i = 0; i < t.size(); ++i) {
            printJson(s, t[i], 0, std::cout);
            std::cout << (i + 1 < t.size() ? ",\n" : "\n");
        }
        std::cout << "]\n";
    } else {
        for (const air::TitlesNode& n : t) printText(s, n, 0, std::cout);
    }
    return 0;
}

// The title file: as given, or below the data root or the Titr folder.
std::string titlePath(const zx::Args& a, const Session& s) {
    const std::string file = a.positional[0];
    if (platform::FileExists(file)) return file;
    for (const std::string& base :
         {app::WithSlash(s.theApp.GetPath(app::FOLDER_ROOT)), s.theApp.GetPath(app::FOLDER_TITLES)})
        if (!base.empty() && platform::FileExists(base + file)) return base + file;
    return file;
}

// Reads a title's template; prints the reason and answers false when it cannot.
bool loadTemplate(const char* cmd, const std::string& path, Session& s, air::CSeqDoc& seq, pages::CPageDoc& page,
                  pages::CPageImage& image, std::vector<air::TitleField>& fields) {
    if (!s.fonts.HasFonts()) {
        std::cerr << "zx " << cmd << ": there are no fonts in " << s.fonts.folder() << "\n";
        return false;
    }
    const int code = air::LoadTitleTemplate(path, seq, page, image, fields);
    if (code == air::TITLE_EMPTY) {
        std::cerr << "zx " << cmd << ": " << path << ": the sequence is empty\n";
        return false;
    }
    if (code != 0) {
        const std::string about = seq.items.empty() ? path : seq.FullPath(seq.items.front());
        std::cerr << "zx " << cmd << ": " << zx::OneLine(app::FileResultText(code, about)) << "\n";
        return false;
    }
    return true;
}

// --field LABEL=TEXT (UTF-8 on the command line) into the fields; false on an unknown label.
bool applyFields(const char* cmd, const zx::Args& a, const Session& s, std::vector<air::TitleField>& fields) {
    for (const std::string& given : a.getAll("field")) {
        const size_t eq = given.find('=');
        const std::string label = s.cp->fromUtf8(given.substr(0, eq == std::string::npos ? given.size() : eq));
        if (eq == std::string::npos) {
            std::cerr << "zx " << cmd << ": --field takes LABEL=TEXT\n";
            return false;
        }
        bool found = false;
        for (air::TitleField& f : fields)
            if (f.label == label) {
                f.text = s.cp->fromUtf8(given.substr(eq + 1));
                found = true;
                break;
            }
        if (!found) {
            std::cerr << "zx " << cmd << ": the title has no field \"" << s.utf8(label) << "\"; its fields:";
            for (const air::TitleField& f : fields) std::cerr << " \"" << s.utf8(f.label) << "\"";
            std::cerr << (fields.empty() ? " none\n" : "\n");
            return false;
        }
    }
    return true;
}

int fields(const zx::Args& a) {
    if (a.positional.size() != 1) {
        std::cerr << "zx titles fields: give one title (.zxs)\n";
        return 2;
    }
    Session s(a);
    const std::string path = titlePath(a, s);
    air::CSeqDoc seq(s.theApp.folders(), platform::SystemClock::instance());
    pages::CPageDoc page(s.fonts);
    pages::CPageImage image;
    std::vector<air::TitleField> f;
    if (!loadTemplate("titles fields", path, s, seq, page, image, f)) return 1;
    std::cout << "title " << s.utf8(path) << ": page " << s.utf8(seq.items.front().pageName) << ", " << f.size()
              << (f.size() == 1 ? " field" : " fields") << ", show time " << seq.items.front().ShowTime() << " s\n";
    for (const air::TitleField& field : f)
        std::cout << "  " << json(s.utf8(field.label)) << "  frame " << field.frame << "  " << json(s.utf8(field.text))
                  << "\n";
    return 0;
}

int render(const zx::Args& a) {
    if (a.positional.size() != 1 || !a.get("png")) {
        std::cerr << "zx titles render: give one title (.zxs) and --png OUT\n";
        return 2;
    }
    Session s(a);
    const std::string path = titlePath(a, s);
    air::CSeqDoc seq(s.theApp.folders(), platform::SystemClock::instance());
    pages::CPageDoc page(s.fonts);
    pages::CPageImage image;
    std::vector<air::TitleField> f;
    if (!loadTemplate("titles render", path, s, seq, page, image, f)) return 1;
    if (!applyFields("titles render", a, s, f)) return 2;
    const bool filtered = (image.summary.flags & pages::SUMMARY_FILTERED) != 0;
    const std::string summary = air::FillTitle(page, image, f, air::TitleCompileOptions(filtered, false));
    const std::string out = *a.get("png");
    if (!pages::WritePng(out, image.picture)) {
        std::cerr << "zx titles render: cannot write " << out << "\n";
        return 1;
    }
    std::cout << (summary.empty() ? "(no fields)" : s.utf8(summary)) << "\n" << out << "\n";
    return 0;
}

int play(const zx::Args& a) {
    if (a.positional.size() != 1) {
        std::cerr << "zx titles play: give one title (.zxs)\n";
        return 2;
    }
    std::string path;
    {
        Session s(a);
        path = titlePath(a, s);
    }
    const zx::Args args = a;
    return zx::PlayHeadless(
        a, path, "titles play",
        [path, args](app::CZentrixApp& theApp, pages::CFontManager& fonts, air::CAirFrame& frame,
                     std::string& why) -> int {
            // Live mode's own model on the playout's frame: the title is selected, filled and
            // rendered as the operator would, air-log line included.
            air::CTitrModel model(theApp, fonts, frame, {}, platform::SystemClock::instance());
            air::TitlesNode node;
            node.kind = air::TITR_TITLE;
            node.path = path;
            node.text = platform::FileNameOf(path);
            app::MessageBoxes& before = app::CurrentMessageBoxes();
            app::HeadlessMessageBoxes boxes;
            app::SetMessageBoxes(&boxes);
            const bool loaded = model.Select(node) == air::CTitrModel::SELECT_LOADED;
            app::SetMessageBoxes(&before);
            if (!loaded) {
                why = boxes.count() ? zx::OneLine(boxes.lastText()) : "the title cannot be cued now";
                return pages::FILE_FORMAT_ERROR;
            }
            std::vector<air::TitleField> f = model.titleFields();
            const platform::CodePage cp(theApp.settings().codePage);
            for (const std::string& given : args.getAll("field")) {
                const size_t eq = given.find('=');
                const std::string label = cp.fromUtf8(given.substr(0, eq));
                size_t i = 0;
                while (i < f.size() && f[i].label != label) ++i;
                if (eq == std::string::npos || i == f.size()) {
                    why = "the title has no field \"" + given.substr(0, eq) + "\" (zx titles fields lists them)";
                    return pages::FILE_FORMAT_ERROR;
                }
                model.setFieldText(int(i), cp.fromUtf8(given.substr(eq + 1)));
            }
            if (!model.Render()) {
                why = "the title cannot be cued now";
                return pages::FILE_FORMAT_ERROR;
            }
            std::cout << "fields " << (model.lastSummary().empty() ? "(none)" : cp.toUtf8(model.lastSummary())) << "\n";
            return 0;
        });
}

zx::Register rTree({"titles tree",
                    "[--home DIR] [--json]",
                    "Live mode's titles tree as it is built: the groups, their folders, and each file with its kind "
                    "and path (kinds this program cannot play yet are marked).",
                    {"home"},
                    tree});

zx::Register rFields({"titles fields",
                      "TITLE.zxs [--home DIR]",
                      "A title's fill-in fields: each unlocked frame of its template page (at most four), with its "
                      "label, frame index and template text.",
                      {"home"},
                      fields});

zx::Register rRender({"titles render",
                      "TITLE.zxs [--field LABEL=TEXT]... --png OUT [--home DIR]",
                      "Fill a title as Live mode's Render does (texts trimmed, into their frames, compiled) and write "
                      "the picture as a PNG; prints the air-log summary.",
                      {"home", "field", "png"},
                      render});

zx::Register rPlay({"titles play",
                    "TITLE.zxs [--field LABEL=TEXT]... [--home DIR] [--device embedded|HOST:PORT] [--model N] "
                    "[--snapshots DIR] [--loops N] [--duration S] [--time-scale K] [--keep-going]",
                    "Fill a title and play it headless as Live mode does, with the title's show parameters, writing "
                    "its air-log line; the other options are those of zx play.",
                    {"home", "field", "device", "model", "snapshots", "loops", "duration", "time-scale"},
                    play});

}  // namespace
