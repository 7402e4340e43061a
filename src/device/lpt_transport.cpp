#include "device/lpt_transport.h"

#include "app/log/event_log.h"
#include "app/profile.h"
#include "app/zentrix_app.h"

namespace device {

namespace {

int OpenSequence(ParallelPortDriver& d, int portIndex) {
    // Windows NT refused this link; every platform we run on offers the driver, so error 17
    // never arises here.
    if (!d.open()) return LINK_NO_DRIVER;

    DriverReply r = d.handshake(0x204, 0);
    if (!r.succeeded(kParOutShort)) {
        bool answered = r.called && r.returned == kParOutShort;
        return answered && r.status == PAR_NO_PORT ? LINK_NO_PORT : LINK_DRIVER_ERROR;
    }
    r = d.speedQuery();
    if (!r.succeeded(kParOutLong)) return LINK_DRIVER_ERROR;
    LogMessage("CPU speed: %d Mhz", int(r.value));
    if (!d.setTiming(20, 1500).succeeded(kParOutShort)) return LINK_DRIVER_ERROR;

    r = d.selectPort(uint16_t(portIndex + 1), 1);
    if (!r.succeeded(kParOutShort)) {
        if (!r.called || r.returned != kParOutShort) return LINK_NO_PORT;
        switch (r.status) {
            case PAR_NO_ECP: return LINK_NO_ECP;
            case PAR_IN_USE:
            case PAR_IN_USE_2:
            case PAR_IN_USE_3: return LINK_PORT_IN_USE;
            default: return LINK_NO_PORT;
        }
    }
    if (!d.acquire().succeeded(kParOutShort)) return LINK_PORT_IN_USE;
    r = d.capabilityQuery();
    if (!r.succeeded(kParOutLong) || !(r.value & 1)) return LINK_NO_ECP;
    if (!d.release().succeeded(kParOutShort)) return LINK_PORT_IN_USE;
    return LINK_OK;
}

}  // namespace

int LptOpen(int portIndex, LptHandle* handle) {
    app::CZentrixApp* app = app::CZentrixApp::Instance();
    static const app::Profile kDefaults;
    return LptOpen(CreateParallelPortDriver(app ? app->profile() : kDefaults), portIndex, handle);
}

int LptOpen(std::unique_ptr<ParallelPortDriver> driver, int portIndex, LptHandle* handle) {
    if (handle) *handle = nullptr;
    if (!driver) return LINK_NO_DRIVER;
    int result = OpenSequence(*driver, portIndex);
    if (result != LINK_OK) {
        // Closing the driver also gives back a port taken before the failure.
        if (result > LINK_NO_DRIVER) driver->close();
        return result;
    }
    if (handle) *handle = driver.release();
    return LINK_OK;
}

int LptConnect(LptHandle handle) {
    if (!handle) return LINK_PORT_IN_USE;
    if (!handle->acquire().succeeded(kParOutShort)) return LINK_PORT_IN_USE;
    if (!handle->negotiate(2).succeeded(kParOutLong)) {
        handle->release();
        return LINK_NOT_RESPONDING;
    }
    return LINK_OK;
}

int LptDisconnect(LptHandle handle) {
    if (handle) handle->release();
    return LINK_OK;
}

void LptClose(LptHandle& handle) {
    if (!handle) return;
    handle->terminate();
    handle->close();
    delete handle;
    handle = nullptr;
}

int LptWriteAddress(LptHandle handle, uint8_t address) {
    DriverReply r = handle ? handle->writeAddress(address) : DriverReply{};
    if (r.succeeded(kParOutShort)) return LINK_OK;
    LogMessage("PAR_IOCTL_WRITE_ADDRESS error: %02X", r.status);
    return LINK_WRITE_ERROR;
}

int LptWrite(LptHandle handle, const void* buffer, uint32_t length) {
    DriverReply r = handle ? handle->writeData(buffer, length) : DriverReply{};
    if (r.succeeded(kParOutLong) && r.value == length) return LINK_OK;
    LogMessage("PAR_IOCTL_WRITE_DATA error: %02X, bytes: %d of %d", r.status, int(r.value), int(length));
    return LINK_WRITE_ERROR;
}

int LptRead(LptHandle handle, void* buffer, uint32_t length) {
    DriverReply r = handle ? handle->readData(buffer, length) : DriverReply{};
    if (r.succeeded(kParOutLong) && r.value == length) return LINK_OK;
    LogMessage("PAR_IOCTL_READ_DATA error: %02X, bytes: %d of %d", r.status, int(r.value), int(length));
    return LINK_READ_ERROR;
}

}  // namespace device
