// The USB phone-lines adapter's library, as the program and the simulated library share it: nine
// calls with C linkage, each answering 0 on success. The program loads the library with dlopen and
// looks every call up by the names below; nothing else of a library is visible to it.
//
// Events reach the program as a registered message posted through the window record: wParam is the
// event (VB_EVENT_*), lParam is port * 65536 + value (value in the low 16 bits).
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define VOICEBOARD_WINDOW_VERSION 1
#define VOICEBOARD_MESSAGE_NAME "{BC6D959E-9F30-4312-8D20-1A2199DF83D8}"

// The window that receives the events: the program fills it and keeps it valid until
// VoiceBoard_Shutdown returns. Both functions may be called from any thread of the library.
typedef struct VoiceBoardWindow {
    int version;  // VOICEBOARD_WINDOW_VERSION
    void* context;
    // The number of the message registered under name (the same name gives the same number).
    unsigned (*registerMessage)(void* context, const char* name);
    // Posts msg without waiting for it to be handled; non-zero when it was queued.
    int (*postMessage)(void* context, unsigned msg, uintptr_t wParam, intptr_t lParam);
} VoiceBoardWindow;

// The port-state record VoiceBoard_GetPortState fills: VOICEBOARD_PORT_STATE_SIZE bytes, the
// caller's number zero-terminated from offset VOICEBOARD_NUMBER_OFFSET (the library terminates it
// within the record).
#define VOICEBOARD_PORT_STATE_SIZE 64
#define VOICEBOARD_NUMBER_OFFSET 28

// Events (wParam) and the values of a line status (event 1).
enum {
    VB_EVENT_PORT = 0,         // a port announced
    VB_EVENT_LINE_STATUS = 1,  // value: VB_LINE_*
    VB_EVENT_CALLER_ID = 2,    // the caller's number can be read with VoiceBoard_GetPortState
    VB_EVENT_RING = 3,         // value: the rings so far
    VB_EVENT_DONE = 4,         // the last operation on the port finished (value 0) or failed (1)
};
enum { VB_LINE_NOT_READY = 0, VB_LINE_IDLE = 2, VB_LINE_INCOMING = 3 };

int VoiceBoard_Initialize(const VoiceBoardWindow* window);
int VoiceBoard_Shutdown(void);
int VoiceBoard_CfgSetOptionBool(const char* name, int reserved, int value);
int VoiceBoard_CfgSetOptionInt(const char* name, int reserved, int value);
int VoiceBoard_GetPortState(int port, void* state);
int VoiceBoard_OffHook(int port);
int VoiceBoard_Pause(int port, int milliseconds);
int VoiceBoard_PlayFile(int port, const char* path, int reserved1, int reserved2);
int VoiceBoard_Hangup(int port);

// The simulated library only: one control line in, the reply ("OK ..." or "ERR reason") out,
// zero-terminated within replySize. The program never calls it.
int VoiceBoardSim_Control(const char* line, char* reply, int replySize);

typedef int (*VoiceBoard_Initialize_t)(const VoiceBoardWindow*);
typedef int (*VoiceBoard_Shutdown_t)(void);
typedef int (*VoiceBoard_CfgSetOption_t)(const char*, int, int);
typedef int (*VoiceBoard_GetPortState_t)(int, void*);
typedef int (*VoiceBoard_Port_t)(int);
typedef int (*VoiceBoard_Pause_t)(int, int);
typedef int (*VoiceBoard_PlayFile_t)(int, const char*, int, int);
typedef int (*VoiceBoardSim_Control_t)(const char*, char*, int);

#ifdef __cplusplus
}
#endif
