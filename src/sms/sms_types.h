// The SMS engine's two blocks as its owners receive them: the status block (notification 1) and
// the record of one decoded message (notification 2), with their codes.
#pragma once

#include <cstdint>

#include "platform/message_target.h"

namespace sms {

// The owner's message: wParam is the notification code, lParam points to the block, valid while
// the handler runs.
constexpr uint32_t WM_SMSENGINE_NOTIFY = platform::MSG_SMS;
enum SmsNote : int { SMS_NOTE_STATUS = 1, SMS_NOTE_RECORD = 2 };

// Status codes.
enum SmsStatusCode : int {
    SMS_NOTHING_YET = 0,
    SMS_PORT_FAILED = 1,    // the port cannot be opened
    SMS_NO_ANSWER = 2,      // the modem stopped answering
    SMS_NOT_SUPPORTED = 3,  // the modem does not offer SMS commands
    SMS_READY = 5,
};

// Record kinds.
enum SmsKind : int { SMS_KIND_DELIVER = 1, SMS_KIND_STATUS_REPORT = 3 };

constexpr int kSmsFieldSize = 32;  // the text fields: at most 31 characters and a zero
constexpr int kSmsTextSize = 256;  // the message text: at most 255 bytes and a zero

struct SMSStatus {
    int status = SMS_NOTHING_YET;
    char manufacturer[kSmsFieldSize] = {};
    char model[kSmsFieldSize] = {};
    int batterySupported = 0;
    int signalSupported = 0;
    int batteryCharge = 0;                 // 0 = not reported or not on battery, else percent + 1
    int signalQuality = 0;                 // 0 = not reported, else percent + 1
    char storageName[kSmsFieldSize] = {};  // with its double quotes
    int storageTotal = 0;
    int storageUsed = 0;
};

// The time stamp as the system time structure of the design: day of week and milliseconds 0.
struct SmsTime {
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t dayOfWeek = 0;
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;
};
static_assert(sizeof(SmsTime) == 16);

struct SMSRecord {
    int kind = 0;
    char number[kSmsFieldSize] = {};  // "+" in front of an international number
    SmsTime time;                     // service-centre time stamp (status report: discharge time)
    int textLength = 0;
    char text[kSmsTextSize] = {};  // the system's 8-bit code page, zero-padded, never a zero inside
};

}  // namespace sms
