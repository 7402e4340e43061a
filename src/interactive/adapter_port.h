// The port the interactive engine talks to the phone-lines adapter through. The serial port is the
// real one; tests put a scripted adapter in its place that runs in simulated time. Every wait of
// the protocols goes through the port (Read's time-outs, Sleep), so a scripted peer decides how
// much time passes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/serial_port.h"

namespace interactive {

class AdapterPort {
public:
    virtual ~AdapterPort() = default;
    // Writes every byte; false when not all of them went out in time.
    virtual bool Write(const uint8_t* data, size_t size) = 0;
    // Reads up to size bytes within the port's time-outs: the count read (0 on time-out or
    // failure).
    virtual size_t Read(uint8_t* buffer, size_t size) = 0;
    virtual void Purge() = 0;
    virtual void SetDtr(bool on) = 0;
    virtual void SetRts(bool on) = 0;
    // A pause of the protocol (between commands, between erase-status polls).
    virtual void Sleep(uint32_t ms) = 0;
};

// The adapter on a serial port, set up as each version needs it: 8N1 at 9600 (first version) or
// 19200 baud (second), reads ending 100 ms after a byte or after 10 ms a byte plus 1000 ms, writes
// bounded by 50 ms a byte, DTR (and RTS on the second version) off, both directions purged.
// timeScale > 1 shortens every time-out and pause that many times (tests against the stand-in).
class SerialAdapterPort final : public AdapterPort {
public:
    explicit SerialAdapterPort(double timeScale = 1.0) : timeScale_(timeScale > 0 ? timeScale : 1.0) {}
    // 0, or 1 (ITV_NO_PORT) when the device cannot be opened or set up.
    int Open(const std::string& path, int version);
    void Close();
    bool IsOpen() const { return port_.IsOpen(); }

    bool Write(const uint8_t* data, size_t size) override;
    size_t Read(uint8_t* buffer, size_t size) override;
    void Purge() override { port_.Purge(true, true); }
    void SetDtr(bool on) override { port_.SetDtr(on); }
    void SetRts(bool on) override { port_.SetRts(on); }
    void Sleep(uint32_t ms) override;

    platform::SerialPort& port() { return port_; }

private:
    double timeScale_;
    platform::SerialPort port_;
};

// The device behind a port index: [Serial] COMn of the application's settings (its default
// without an application), or the embedded adapter stand-in for "sim". "" when none.
std::string AdapterDevicePath(int portIndex, int version);

// The adapter stand-in inside the program, for a port whose [Serial] COMn is "sim" while the
// adapter is a phone-lines adapter; the layer that links it registers here how to start it.
struct EmbeddedAdapter {
    // Starts (once) the stand-in of a port index for an adapter version and answers the path of
    // its terminal, or "".
    std::function<std::string(int portIndex, int version)> devicePath;
};
void SetEmbeddedAdapter(EmbeddedAdapter adapter);
EmbeddedAdapter GetEmbeddedAdapter();

}  // namespace interactive
