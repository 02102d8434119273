// The window and control styles that the dialog templates name. On Windows the system headers
// define them; elsewhere they are defined here with the same names and values, so that the
// templates mean the same on every front end.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdint>

inline constexpr uint32_t WS_POPUP = 0x80000000;
inline constexpr uint32_t WS_CHILD = 0x40000000;
inline constexpr uint32_t WS_VISIBLE = 0x10000000;
inline constexpr uint32_t WS_CAPTION = 0x00C00000;
inline constexpr uint32_t WS_BORDER = 0x00800000;
inline constexpr uint32_t WS_VSCROLL = 0x00200000;
inline constexpr uint32_t WS_SYSMENU = 0x00080000;
inline constexpr uint32_t WS_GROUP = 0x00020000;
inline constexpr uint32_t WS_MINIMIZEBOX = 0x00020000;
inline constexpr uint32_t WS_TABSTOP = 0x00010000;
inline constexpr uint32_t DS_MODALFRAME = 0x0080;
inline constexpr uint32_t DS_CENTER = 0x0800;
inline constexpr uint32_t LBS_NOTIFY = 0x0001;
inline constexpr uint32_t LBS_NOINTEGRALHEIGHT = 0x0100;
inline constexpr uint32_t ES_UPPERCASE = 0x0008;
inline constexpr uint32_t ES_AUTOHSCROLL = 0x0080;
inline constexpr uint32_t BS_PUSHBUTTON = 0x0000;
inline constexpr uint32_t BS_DEFPUSHBUTTON = 0x0001;
inline constexpr uint32_t BS_MULTILINE = 0x2000;
inline constexpr uint32_t SS_LEFT = 0x0000;
inline constexpr uint32_t SS_ICON = 0x0003;
inline constexpr uint32_t SS_LEFTNOWORDWRAP = 0x000C;
inline constexpr uint32_t SS_PATHELLIPSIS = 0x8000;
#endif
