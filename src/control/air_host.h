// What the control interface asks of the program that hosts the air frame. Every call runs on
// the air frame's own thread (the GUI's, or the event loop of zx serve), reached through
// AirPort; none is made from the server's threads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "air/air_frame.h"
#include "air/titles_tree.h"
#include "air/titr_model.h"
#include "pages/bitmap32.h"

namespace control {

// A copy of what the air frame shows, taken on its thread. Texts are 8-bit, in the program's
// code page.
struct AirSnapshot {
    bool frameOpen = false;  // an on-air mode is open (always so in zx serve)
    std::string mode;        // "live", "automation", "captions", ... "serve"; "" with none open
    air::AirFrameState frame;
    bool canStart = false;
    bool isOnAir = false;
    std::string file;       // what was started from here or by the view: a name below the data root
    std::string content;    // "sequence", "page", "title", "clock", "banner", "video", ...
    std::string pageOnAir;  // the page whose in-effect ran last ("" none)
    int listCount = 0;      // the items of the page list played
    std::string device;     // "embedded" or the Device's address
    std::string root;       // the data root, which names are given below
};

// The outcome of an operation: an HTTP status and, for anything but success, why.
struct OpResult {
    int status = 200;
    std::string message;  // UTF-8 once it leaves the host: the host writes 8-bit text here

    static OpResult Ok() { return {}; }
    static OpResult Fail(int status, std::string message) { return {status, std::move(message)}; }
    bool ok() const { return status == 200; }
};

// One text for a title's field: by label (8-bit) or, without one, by position.
struct FieldValue {
    std::string label;
    int index = -1;
    std::string text;  // 8-bit
};

struct TitleInfo {
    std::string path;  // name below the data root
    std::string page;  // the template page's name
    int showTime = 0;  // seconds
    std::vector<air::TitleField> fields;
    std::string summary;  // after a render: the air-log summary
};

// A change the Effect button makes to the cued page's show parameters: a control of the "Page
// effect and show time" dialog (air::CEffectDialogModel::Control) and its new value.
struct EffectChange {
    int control = 0;
    int value = 0;
};
using EffectChanges = std::vector<EffectChange>;

// The transport actions by their names in the interface ("play", ...); 0 for none.
uint16_t ActionOfName(std::string_view name);
const char* NameOfAction(uint16_t action);

class AirHost {
public:
    virtual ~AirHost() = default;
    virtual AirSnapshot Snapshot() = 0;
    // A transport button. A disabled one answers 409 and is remembered as the air frame does;
    // Effect makes the changes to the cued page's show parameters as the dialog would (applied:
    // what the page has then).
    virtual OpResult Action(uint16_t action, const EffectChanges* changes, air::ShowParams* applied) = 0;
    // The Live titles tree, paths as found (below the data root).
    virtual OpResult Titles(std::vector<air::TitlesNode>& tree, std::string& root) = 0;
    // A title's fields (name below the data root), with the texts Live mode would show.
    virtual OpResult TitleFields(const std::string& name, TitleInfo& out) = 0;
    // Fills the title and starts it as "Render" does; play: on air as soon as it is cued.
    virtual OpResult RenderTitle(const std::string& name, const std::vector<FieldValue>& values, bool play,
                                 TitleInfo& out) = 0;
    // Starts a sequence, page, clock or banner (name below the data root).
    virtual OpResult Play(const std::string& name, bool play) = 0;
    // The preview of what is cued; false when there is none.
    virtual bool Preview(pages::CBitmap32& out) = 0;
};

}  // namespace control
