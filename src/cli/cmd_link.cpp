// zx link check: opens the Device link as the settings describe it, connects, reads one status
// record and closes again, printing each step (for setting up a Device or the virtual one).
#include <cstdio>
#include <iostream>
#include <string>

#include "app/zentrix_app.h"
#include "cli/command.h"
#include "device/link_errors.h"
#include "device/lpt_transport.h"
#include "device/net_transport.h"
#include "ktgsim/embedded.h"

namespace {

int report(const char* step, int error) {
    if (error == 0) {
        std::cout << step << ": ok\n";
        return 0;
    }
    const std::string text = zx::OneLine(device::LinkErrorText(error));
    std::cout << step << ": link error " << error << ": " << text << "\n";
    return error;
}

void printStatus(const uint8_t* s, size_t n) {
    std::cout << "status:";
    for (size_t i = 0; i < n; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", s[i]);
        std::cout << hex;
    }
    std::cout << "\n";
}

int checkLink(const zx::Args& a) {
    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(zx::CommandLineOf(a));
    const app::DeviceModel& m = theApp.deviceModel();
    const size_t statusLength = m.statusClass == 0 ? 5 : 6;
    uint8_t status[6] = {};
    std::cout << "model: " << m.name << ", status class " << m.statusClass << "\n";

    if (m.link == app::LINK_LPT) {
        std::cout << "link: LPT" << theApp.settings().portNo + 1 << ", driver "
                  << theApp.profile().getString("Hardware", device::kLptDriverKey, "ppdev") << "\n";
        device::LptHandle h = nullptr;
        int e = report("open", device::LptOpen(theApp.settings().portNo, &h));
        if (e) return e;
        e = report("connect", device::LptConnect(h));
        if (!e) {
            e = device::LptWriteAddress(h, device::ECP_ADDR_REGISTER);
            if (!e) e = device::LptRead(h, status, uint32_t(statusLength));
            if (!e) printStatus(status, statusLength);
            e = report("status", e);
            device::LptDisconnect(h);
        }
        device::LptClose(h);
        return e;
    }

    std::string hosts = theApp.profile().getString(device::kEthernetSection, device::kHostsKey, "");
    std::cout << "link: Ethernet, Hosts=" << (hosts.empty() ? "(the embedded Device)" : hosts) << "\n";
    device::NetSetStatusClass(m.statusClass);
    int e = report("open", device::NetOpen());
    if (e) return e;
    e = report("connect", device::NetConnect());
    if (!e) {
        e = device::NetReadStatus(status, statusLength);
        if (!e) printStatus(status, statusLength);
        e = report("status", e);
        device::NetDisconnect();
    }
    device::NetClose();
    return e;
}

// With no Device configured the link reaches the virtual Device, started inside zx for the check.
int check(const zx::Args& a) {
    ktgsim::RegisterEmbeddedDevice();
    int e = checkLink(a);
    ktgsim::UnregisterEmbeddedDevice();
    return e;
}

zx::Register r1({"link check",
                 "[--home DIR] [--400m]",
                 "Open the Device link the settings name, connect, read one status record; exit status = link error.",
                 {"home"},
                 check});

}  // namespace
