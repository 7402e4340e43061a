// The control interface's operations on an air frame and Live mode's model: what both hosts (the
// GUI program and zx serve) do once they know which frame and model are there. Runs on the air
// frame's thread. A start from here goes the operator's way: a file is selected as in the titles
// tree and started as "Render" starts it, and "play" presses Play, which the air frame carries
// out as soon as the content is cued.
#pragma once

#include <string>

#include <memory>

#include "air/titr_model.h"
#include "control/air_host.h"
#include "control/state_board.h"

namespace app {
class CZentrixApp;
}
namespace pages {
class CFontManager;
}

namespace control {

// The content kind of a playout in words ("sequence", "page", "clock" ...), "" for none.
std::string ContentOfKind(uint16_t kind);

class LiveControl : public AirHost {
public:
    LiveControl(app::CZentrixApp& app, pages::CFontManager& fonts);

    AirSnapshot Snapshot() override;
    OpResult Action(uint16_t action, const EffectChanges* changes, air::ShowParams* applied) override;
    OpResult Titles(std::vector<air::TitlesNode>& tree, std::string& root) override;
    OpResult TitleFields(const std::string& name, TitleInfo& out) override;
    OpResult RenderTitle(const std::string& name, const std::vector<FieldValue>& values, bool play,
                         TitleInfo& out) override;
    OpResult Play(const std::string& name, bool play) override;
    bool Preview(pages::CBitmap32& out) override;

    // Where the state goes after each change (the server's board; nullptr: nowhere).
    void attach(StateBoard* board);
    // Air thread: tells the board the state now and the air log's new lines.
    void check();
    // Air thread: the Device raised a request.
    void deviceRequest(int code);

protected:
    // The air frame of the open on-air mode (nullptr: none is open).
    virtual air::CAirFrame* frame() = 0;
    // Live mode's model (nullptr: another mode is open).
    virtual air::CTitrModel* model() = 0;
    // The open mode's name ("live", ...).
    virtual std::string mode() = 0;
    // The window the frame reports to now: it is put back after an Effect from here.
    virtual air::AirFrameWindow* window() = 0;
    // How a file is selected and started (the GUI goes through its view, so that it shows it).
    virtual air::CTitrModel::SelectResult select(const air::TitlesNode& node) { return model()->Select(node); }
    virtual bool render() { return model()->Render(); }
    virtual bool cuePage(const std::string& path) { return model()->CueFile(path); }
    // A field's text given from here (the GUI shows it in its field).
    virtual void setFieldText(int field, const std::string& text) { model()->setFieldText(field, text); }
    // Something was changed from here: the state is told at once.
    virtual void changed() { check(); }
    // "embedded" or the Device's address.
    virtual std::string device() const;

    app::CZentrixApp& app_;
    pages::CFontManager& fonts_;

private:
    // A start is possible now: nullopt, else why not.
    OpResult canStartNow(air::CAirFrame& f) const;
    OpResult resolve(const std::string& name, int folder, std::string& path) const;

    std::string started_;  // what was started from here last (a name below the root)
    uint16_t startedKind_ = 0;
    StateBoard* board_ = nullptr;
    std::unique_ptr<LogFollower> airLog_;
};

}  // namespace control
