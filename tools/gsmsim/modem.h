// The GSM modem itself, without its terminal: AT commands in (byte by byte, echoed as a modem
// echoes them), replies out, message storages with their slots, new-message indications, and the
// faults the control interface sets. Single-threaded and driven with millisecond times, so tests
// run it without a terminal; the simulator puts it on a pseudo-terminal.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "gsmsim/pdu_encode.h"

namespace gsmsim {

struct StorageSpec {
    std::string name;  // "SM", "ME", ...
    int slotCount = 0;
};

struct ModemOptions {
    std::vector<StorageSpec> storages = {{"SM", 20}, {"ME", 50}};
    bool echo = true;        // echo after a reset (ATE0/ATE1 change it)
    bool neverEcho = false;  // a modem that never echoes, whatever ATE says
    std::string manufacturer = "Zentrix";
    std::string model = "GSM modem simulator";
    std::string revision = "gsmsim 1.0";
    std::string imei = "350000000000018";
    bool battery = true;  // offers +CBC
    bool signal = true;   // offers +CSQ
    bool gsm = true;      // +GCAP lists +CGSM
    bool refuseCnmi = false;
    std::string serviceCentre = "+381630000000";  // "" stores "00" in front of each PDU
    int codePage = 1251;                          // the bytes of 8-bit texts
};

struct StoredMessage {
    std::string line;  // as the modem gives it: service-centre address, then the message
    int length = 0;    // the announced length (octets of the message without that address)
    int stat = 0;      // 0 received unread, 1 received read
};

class Modem {
public:
    explicit Modem(ModemOptions options = {});

    const ModemOptions& options() const { return options_; }

    // Bytes from the program at time nowMs.
    void input(std::string_view bytes, uint64_t nowMs);
    // The output due by nowMs, in order.
    std::string takeOutput(uint64_t nowMs);
    // When the next output falls due (UINT64_MAX: none waiting).
    uint64_t nextDue() const;

    // A message arriving from the network: stored in the receive storage and announced with
    // "+CMTI" (parts of a long text one by one). False with a reason when it cannot be built.
    bool receive(const DeliverSpec& spec, uint64_t nowMs, std::string& result);
    bool receiveStatusReport(const StatusReportSpec& spec, uint64_t nowMs, std::string& result);
    // Stores a line exactly as given (damaged or not) with its announced length (-1: worked out
    // from the line when it is one, else half its length).
    bool storeLine(const std::string& line, int length, uint64_t nowMs, std::string& result);

    void setSignal(int rssi, int ber) { rssi_ = rssi, ber_ = ber; }
    void setBattery(int status, int charge) { bcs_ = status, bcl_ = charge; }
    void failNext(int commands) { errors_ = commands; }
    // Commands beginning with prefix (after "AT", e.g. "+CNMI") answer ERROR; "" clears.
    void refuse(const std::string& prefix);
    void setSilent(bool on) { silent_ = on; }
    bool silent() const { return silent_; }
    void setDelay(int ms) { delayMs_ = ms; }
    // Line noise: n random bytes now.
    void garbage(int n, uint64_t nowMs);
    // A line that does not end: n printable characters, then CR LF.
    void endless(size_t n, uint64_t nowMs);
    // The indication a full storage gives: "+CMTI" for slot 0.
    void memoryFull(uint64_t nowMs);
    // Power lost and back: the settings of the session go, the storages stay.
    void powerCycle();

    // The stored messages, storage by storage: "SM 3 unread 23 07911326...".
    std::vector<std::string> list() const;
    int storedCount() const;
    // The command lines received, in order (without CR).
    const std::vector<std::string>& commands() const { return commands_; }

private:
    struct Storage {
        std::string name;
        std::vector<StoredMessage> entries;  // one a slot; an empty line is an empty slot
    };

    void commandLine(const std::string& line, uint64_t nowMs);
    // Runs one command of a line; false for ERROR (final already given in out when it is a
    // +CMS ERROR).
    bool run(const std::string& cmd, std::vector<std::string>& info, std::string& final);
    void queueOutput(const std::string& bytes, uint64_t dueMs);
    void unsolicited(const std::string& line, uint64_t nowMs);
    Storage* storage(const std::string& name);
    Storage* mem(int which);
    int store(const std::string& line, int length, uint64_t nowMs);
    std::string cpmsCounts() const;
    void resetSession();

    ModemOptions options_;
    std::vector<Storage> storages_;
    std::string mem_[3];
    bool mem3Set_ = false;
    bool echo_ = true;
    bool quiet_ = false;
    int cnmi_[5] = {0, 0, 0, 0, 0};
    int rssi_ = 20, ber_ = 99, bcs_ = 0, bcl_ = 80;
    int errors_ = 0;
    std::set<std::string> refused_;
    bool silent_ = false;
    int delayMs_ = 0;
    std::string lineBuffer_;
    bool lineOverflow_ = false;
    std::deque<std::pair<uint64_t, std::string>> out_;
    std::vector<std::string> commands_;
    std::mt19937 random_{20240501};
};

}  // namespace gsmsim
