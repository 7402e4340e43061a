// The LPT/ECP link: open and close the parallel-port driver, take and give back the port,
// write an ECP address (channel) byte, write and read blocks. It knows nothing of packets.
// Open and close run on the user-interface thread, the rest on the engine thread; the engine
// never runs while the link is opened or closed.
#pragma once

#include <cstdint>
#include <memory>

#include "device/link_errors.h"
#include "device/parallel_port_driver.h"

namespace device {

// The driver handle kept by the engine for the whole run; nullptr when closed.
using LptHandle = ParallelPortDriver*;

// ECP addresses the engine writes before its traffic.
enum : uint8_t { ECP_ADDR_REGISTER = 0x0C, ECP_ADDR_DATA = 0x1B };

// Opens the driver the settings name ([Hardware] LptDriver) and tests port portIndex (0 = LPT1):
// 0 or a link error (1, 2, 3, 4, 5). The port is left released.
int LptOpen(int portIndex, LptHandle* handle);
// The same with a given driver (tests, tools).
int LptOpen(std::unique_ptr<ParallelPortDriver> driver, int portIndex, LptHandle* handle);
// Takes the port and negotiates ECP with the Device: 0, 5 or 12.
int LptConnect(LptHandle handle);
// Gives the port back; always 0.
int LptDisconnect(LptHandle handle);
// Terminates and closes the driver; the handle becomes nullptr.
void LptClose(LptHandle& handle);
// 0 or 6.
int LptWriteAddress(LptHandle handle, uint8_t address);
// 0 or 6: every byte must go out.
int LptWrite(LptHandle handle, const void* buffer, uint32_t length);
// 0 or 7: every byte asked for must come in.
int LptRead(LptHandle handle, void* buffer, uint32_t length);

}  // namespace device
