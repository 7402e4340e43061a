// The Ethernet link: registers the program's NetBIOS name on every usable adapter, calls the
// Device by its name, and wraps the engine's traffic into the Ethernet message forms:
//   command            'C', payload          command, status class 2   'C', 0x01, payload
//   data               'V', payload          data, status class 2      'V', 0x01, payload
//   status request     'S'
// A command payload is one or more 3-byte register writes (register, value high, value low);
// payloads longer than the chunk limit go out as several messages of the same form.
// Open and close run on the user-interface thread, the rest on the engine thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "device/link_errors.h"
#include "device/net_bios.h"

namespace app {
class Profile;
}

namespace device {

// Settings of the Ethernet link.
constexpr char kEthernetSection[] = "Ethernet";
constexpr char kHostsKey[] = "Hosts";      // Device addresses, "host:port;host:port"; empty = embedded
constexpr char kLanaPosKey[] = "LanaPos";  // position of the adapter that reached the Device last
constexpr char kNoCheckKey[] = "NoCheck";  // 1 = go on without the session protocol check

constexpr size_t kNetSendBufferSize = 65535;
constexpr size_t kNetChunk = 65534;       // payload bytes per message
constexpr size_t kNetChunkClass2 = 1478;  // for status-class-2 models (KTG400M)
constexpr uint8_t kNetRecvTimeout = 2;    // units of 500 ms
constexpr uint8_t kNetSendTimeout = 2;

enum : uint8_t { NET_MSG_COMMAND = 0x43, NET_MSG_DATA = 0x56, NET_MSG_STATUS = 0x53, NET_BATCH_DONE = 0x44 };

class NetTransport {
public:
    NetTransport(NetBios& netbios, app::Profile& ini, bool is400M = false);

    // Where settings come from and which edition's names are used (before Open).
    void setProfile(app::Profile& ini, bool is400M);
    // The Device model's status class (class 2 chunks small and marks messages with 0x01).
    void setStatusClass(int statusClass) { class2_ = statusClass == 2; }

    int Open();  // 0, 13, 15 or 16 (always 0 while emulating)
    void Close();
    int Connect();  // 0 or 12
    void Disconnect();
    // Hands one 5-byte register-write packet (two check bytes, register, value high, value low)
    // to the batch.
    void QueueRegister(const uint8_t* packet, bool moreFollows);
    int SendCommand(const uint8_t* packet);           // 0 or 14
    int SendData(const void* buffer, size_t length);  // 0 or 14
    int ReadStatus(void* buffer, size_t length);      // 0 or 14

    // Register writes waiting in the batch (the engine moves on at once while there are some).
    int batchCount() const { return count_; }
    // Forgets a batch (the engine drops the command it belonged to).
    void resetBatch() { count_ = 0; }
    bool emulating() const { return emulate_; }
    bool isOpen() const { return open_; }
    bool connected() const { return connected_; }
    const std::vector<uint8_t>& lanaList() const { return lanas_; }

    // The 16-byte names: ours and the Device's (every Ethernet model answers to the same).
    static NetName LocalName(bool is400M);
    static NetName DeviceName(bool is400M);

private:
    int openSteps();
    int sendMessages(uint8_t form, const uint8_t* payload, size_t length);
    bool sendOne(const uint8_t* message, size_t length);

    NetBios& nb_;
    app::Profile* ini_;
    bool is400M_;
    bool class2_ = false;
    bool emulate_ = false;
    bool open_ = false;
    bool connected_ = false;
    std::vector<uint8_t> lanas_;
    uint8_t lana_ = 0;
    uint8_t lsn_ = 0;
    NetName localName_{};
    NetName deviceName_{};
    std::vector<uint8_t> sendBuf_;
    std::vector<uint8_t> batch_;  // [0] 'D' when complete, [1] 0, then 3 bytes per write
    int count_ = 0;
};

// The link as the engine calls it, on one transport for the whole program. NetOpen takes its
// settings and edition from the application object.
void NetSetStatusClass(int statusClass);
// Where the local name is held against other copies (default: the user's runtime folder).
void NetSetLockFolder(const std::string& folder);
int NetOpen();
void NetClose();
int NetConnect();
void NetDisconnect();
void NetQueueRegister(const uint8_t* packet, bool moreFollows);
int NetSendCommand(const uint8_t* packet);
int NetSendData(const void* buffer, size_t length);
int NetReadStatus(void* buffer, size_t length);
int NetBatchCount();
void NetResetBatch();
bool NetEmulating();

}  // namespace device
