// The virtual Device's protocol side: any sequence of Ethernet messages, parallel-port requests,
// control lines and fields is taken without a crash, a hang or a record of the wrong length.
#include <cstdint>
#include <string>
#include <vector>

#include "ktgsim/control.h"
#include "ktgsim/link_side.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    ktgsim::DeviceOptions options;
    options.statusClass = data[0] % 3;
    options.checkData = (data[0] & 0x80) == 0;
    ktgsim::Device device(options);
    ktgsim::EthernetSide ethernet(device);
    ktgsim::LptSide lpt(device);
    ktgsim::ControlInterface control(device, nullptr);
    int renders = 0;
    // Records: kind, 16-bit length, that many bytes.
    size_t i = 1;
    while (i + 3 <= size) {
        const uint8_t kind = data[i];
        const size_t len = std::min<size_t>(size_t(data[i + 1] | data[i + 2] << 8), size - i - 3);
        const uint8_t* p = data + i + 3;
        i += 3 + len;
        switch (kind % 7) {
            case 0: {
                std::vector<uint8_t> reply;
                ethernet.message(p, len, reply);
                if (!reply.empty() && reply.size() != device.statusLength()) __builtin_trap();
                break;
            }
            case 1: lpt.address(len ? p[0] : 0); break;
            case 2: lpt.write(p, len); break;
            case 3: {
                uint8_t out[16];
                size_t n = lpt.read(out, len % 17);
                if (n > device.statusLength()) __builtin_trap();
                break;
            }
            case 4: {
                bool quit = false;
                (void)control.handle(std::string(reinterpret_cast<const char*>(p), len), quit);
                break;
            }
            case 5: device.advanceFields(len ? p[0] : 1); break;
            case 6:
                if (renders++ < 2) {
                    ktgsim::Picture pic;
                    device.render(pic, ktgsim::Background{});
                }
                break;
        }
    }
    return 0;
}
