// User interface: monitors, display modes, device contexts and bitmaps.
#pragma once

#include "win32_types.h"

#define CCHDEVICENAME 32

typedef struct tagMONITORINFO {
    DWORD cbSize;
    RECT rcMonitor;
    RECT rcWork;
    DWORD dwFlags;
} MONITORINFO, *LPMONITORINFO;

typedef struct tagMONITORINFOEXA : public tagMONITORINFO {
    CHAR szDevice[CCHDEVICENAME];
} MONITORINFOEXA, *LPMONITORINFOEXA;

#define MONITORINFOF_PRIMARY 0x00000001u
#define MONITOR_DEFAULTTONULL 0x00000000u
#define MONITOR_DEFAULTTOPRIMARY 0x00000001u
#define MONITOR_DEFAULTTONEAREST 0x00000002u

typedef BOOL(CALLBACK* MONITORENUMPROC)(HMONITOR monitor, HDC dc, LPRECT rect, LPARAM data);

// The layer's own record (its size differs from the Windows one); dmSize must be sizeof(DEVMODEA).
typedef struct _devicemodeA {
    BYTE dmDeviceName[CCHDEVICENAME];
    WORD dmSpecVersion;
    WORD dmDriverVersion;
    WORD dmSize;
    WORD dmDriverExtra;
    DWORD dmFields;
    POINTL dmPosition;
    DWORD dmDisplayFlags;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
    DWORD dmDisplayFrequency;
} DEVMODEA, *PDEVMODEA, *LPDEVMODEA;

#define DM_POSITION 0x00000020u
#define DM_BITSPERPEL 0x00040000u
#define DM_PELSWIDTH 0x00080000u
#define DM_PELSHEIGHT 0x00100000u
#define DM_DISPLAYFLAGS 0x00200000u
#define DM_DISPLAYFREQUENCY 0x00400000u

#define ENUM_CURRENT_SETTINGS ((DWORD)-1)

#define CDS_FULLSCREEN 0x00000004u
#define DISP_CHANGE_SUCCESSFUL 0
#define DISP_CHANGE_BADPARAM (-5)

#define HORZSIZE 4
#define VERTSIZE 6

// Every display in the system's order; HMONITOR = display index + 1.
BOOL EnumDisplayMonitors(HDC dc, LPCRECT clip, MONITORENUMPROC callback, LPARAM data);
// cbSize is sizeof(MONITORINFO) or sizeof(MONITORINFOEXA); szDevice is "\\.\DISPLAY<index + 1>".
BOOL GetMonitorInfoA(HMONITOR monitor, LPMONITORINFO info);
HMONITOR MonitorFromWindow(HWND window, DWORD flags);
HMONITOR MonitorFromPoint(POINT point, DWORD flags);
// Modes 0, 1, ... in SDL's order (FALSE past the end); ENUM_CURRENT_SETTINGS is the
// current mode, or the full-screen mode while one is applied. 4-byte formats have 32 bits
// per pixel, a refresh of 0 is 60 Hz.
BOOL EnumDisplaySettingsA(LPCSTR deviceName, DWORD modeNumber, DEVMODEA* mode);
// Only records the wanted mode (NULL clears it and leaves full screen): the Direct3D
// device applies it when it goes full screen. Always DISP_CHANGE_SUCCESSFUL for a known display.
LONG ChangeDisplaySettingsExA(LPCSTR deviceName, DEVMODEA* mode, HWND window, DWORD flags, LPVOID parameter);

// A display's device context; the device (or driver) is a name from GetMonitorInfoA.
HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR output, const DEVMODEA* initData);
BOOL DeleteDC(HDC dc);
// HORZSIZE and VERTSIZE in millimetres from the display's DPI; 0 when it has none.
int GetDeviceCaps(HDC dc, int index);

// 32 bits per pixel, one plane: rows of 0xAARRGGBB values (bytes B, G, R, A).
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
BOOL DeleteObject(HGDIOBJ object);
