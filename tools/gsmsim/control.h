// The modem's control interface: a line protocol to make messages arrive, set the signal and
// the battery, and inject faults. Every command line gets exactly one reply line: "OK" with its
// result, or "ERR" and a reason. Commands that concern the terminal (drop, line, quit) belong to
// the simulator, which answers them itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "gsmsim/modem.h"

namespace gsmsim {

// The words of a line, each with where it starts (so that a text keeps its spaces).
struct Word {
    std::string text;
    size_t at;
};
std::vector<Word> Words(std::string_view line);

// Options of "sms" (and of "gsmsim pdu") into a message: --from, --from-alpha, --coding, --dcs,
// --time, --split, then the text (the rest of the line). False with a reason.
bool ParseSms(std::string_view line, const std::vector<Word>& words, size_t first, DeliverSpec& spec,
              std::string& error);

class Control {
public:
    explicit Control(Modem& modem) : modem_(modem) {}

    // Handles one line (without its line end) at time nowMs. handled is false for a command of
    // the simulator's (the reply is then empty).
    std::string handle(std::string_view line, uint64_t nowMs, bool& handled);

    static const char* Help();

private:
    Modem& modem_;
    int reference_ = 0;  // the next concatenation reference
};

}  // namespace gsmsim
