#include "interactive/adapter_port.h"

#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>

#include "app/zentrix_app.h"
#include "interactive/itv_result.h"
#include "sms/serial_settings.h"

namespace interactive {

namespace {

uint32_t Scaled(uint32_t ms, double scale) {
    if (ms == 0 || ms == platform::kSerialMaxTimeout || scale == 1.0) return ms;
    return std::max<uint32_t>(1, uint32_t(std::lround(ms / scale)));
}

std::mutex& EmbeddedMutex() {
    static std::mutex m;
    return m;
}
EmbeddedAdapter& Embedded() {
    static EmbeddedAdapter a;
    return a;
}

}  // namespace

int SerialAdapterPort::Open(const std::string& path, int version) {
    if (path.empty() || port_.Open(path) != platform::SERIAL_OK) return ITV_NO_PORT;
    platform::SerialTimeouts t;
    t.readInterval = Scaled(100, timeScale_);
    t.readTotalMultiplier = Scaled(10, timeScale_);
    t.readTotalConstant = Scaled(1000, timeScale_);
    t.writeTotalMultiplier = Scaled(50, timeScale_);
    t.writeTotalConstant = 0;
    port_.SetTimeouts(t);
    platform::SerialLine line;
    line.baud = version == ITV_VERSION_1 ? 9600 : 19200;
    if (port_.SetLine(line) != platform::SERIAL_OK) {
        port_.Close();
        return ITV_NO_PORT;
    }
    port_.SetDtr(false);
    if (version != ITV_VERSION_1) port_.SetRts(false);
    port_.Purge(true, true);
    return ITV_OK;
}

void SerialAdapterPort::Close() { port_.Close(); }

bool SerialAdapterPort::Write(const uint8_t* data, size_t size) { return port_.Write(data, size) == long(size); }

size_t SerialAdapterPort::Read(uint8_t* buffer, size_t size) {
    long n = port_.Read(buffer, size);
    return n > 0 ? size_t(n) : 0;
}

void SerialAdapterPort::Sleep(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(Scaled(ms, timeScale_)));
}

std::string AdapterDevicePath(int portIndex, int version) {
    std::string device = sms::DefaultSerialDevice(portIndex);
    if (app::CZentrixApp* theApp = app::CZentrixApp::Instance())
        device = sms::SerialDevice(theApp->profile(), portIndex);
    if (device != sms::kSimDevice) return device;
    EmbeddedAdapter a = GetEmbeddedAdapter();
    return a.devicePath ? a.devicePath(portIndex, version) : std::string();
}

void SetEmbeddedAdapter(EmbeddedAdapter adapter) {
    std::lock_guard l(EmbeddedMutex());
    Embedded() = std::move(adapter);
}

EmbeddedAdapter GetEmbeddedAdapter() {
    std::lock_guard l(EmbeddedMutex());
    return Embedded();
}

}  // namespace interactive
