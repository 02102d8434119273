/* The texts of the USB library's statuses, string resources 1 to 44 (10, 11 and 42 are not
   used). The one place they are written: the Windows programs carry them as a STRINGTABLE
   (usb/UsbStatusTexts.rc), and the simulated machine is given them from the table below.
   Plain C preprocessor text, so that the resource compiler reads it too. */
#ifndef VELKOR_USB_STATUS_TEXTS_H
#define VELKOR_USB_STATUS_TEXTS_H

#define USB_STATUS_TEXT_1 "The data failed its CRC check."
#define USB_STATUS_TEXT_2 "A bit stuffing error was seen on the bus."
#define USB_STATUS_TEXT_3 "The data toggle did not match."
#define USB_STATUS_TEXT_4 "The endpoint answered with a stall."
#define USB_STATUS_TEXT_5 "The device is not responding."
#define USB_STATUS_TEXT_6 "A packet identifier failed its check."
#define USB_STATUS_TEXT_7 "An unexpected packet identifier was received."
#define USB_STATUS_TEXT_8 "The device sent more data than was asked for."
#define USB_STATUS_TEXT_9 "The device sent less data than was asked for."
#define USB_STATUS_TEXT_12 "The host controller's buffer overflowed."
#define USB_STATUS_TEXT_13 "The host controller's buffer ran empty."
#define USB_STATUS_TEXT_14 "The host controller did not reach the transfer."
#define USB_STATUS_TEXT_15 "The host controller's FIFO failed."
#define USB_STATUS_TEXT_16 "The endpoint is halted."
#define USB_STATUS_TEXT_17 "Not enough memory for the USB request."
#define USB_STATUS_TEXT_18 "The USB request function is not valid."
#define USB_STATUS_TEXT_19 "A handle or a parameter of the USB request is not valid."
#define USB_STATUS_TEXT_20 "The USB device is busy."
#define USB_STATUS_TEXT_21 "The USB request failed."
#define USB_STATUS_TEXT_22 "The pipe handle is not valid."
#define USB_STATUS_TEXT_23 "There is not enough USB bandwidth."
#define USB_STATUS_TEXT_24 "The host controller reported an internal error."
#define USB_STATUS_TEXT_25 "The transfer ended short."
#define USB_STATUS_TEXT_26 "The start frame of the transfer is not valid."
#define USB_STATUS_TEXT_27 "The isochronous request failed."
#define USB_STATUS_TEXT_28 "The frame length control is already owned."
#define USB_STATUS_TEXT_29 "The frame length control is not owned."
#define USB_STATUS_TEXT_30 "The USB driver refused the request."
#define USB_STATUS_TEXT_31 "The USB driver reported an internal error."
#define USB_STATUS_TEXT_32 "There are no more USB devices."
#define USB_STATUS_TEXT_33 "The USB device has been removed."
#define USB_STATUS_TEXT_34 "A parameter of the USB request is not valid."
#define USB_STATUS_TEXT_35 "The USB request was cancelled."
#define USB_STATUS_TEXT_36 "The USB request is still in progress."
#define USB_STATUS_TEXT_37 "The USB request timed out."
#define USB_STATUS_TEXT_38 "The USB device configuration is not valid."
#define USB_STATUS_TEXT_39 "The USB device is not configured."
#define USB_STATUS_TEXT_40 "The USB device is locked by another program."
#define USB_STATUS_TEXT_41 "The USB device lock is not held."
#define USB_STATUS_TEXT_43 "The pipe is not attached to its device."
#define USB_STATUS_TEXT_44 "The USB driver version does not match."

#ifndef RC_INVOKED
namespace usb {

struct StatusTextResource {
  unsigned id;
  const char* text;
};

// Every status text with its string resource ID, for platforms that are given their string
// resources rather than reading them from the program file.
inline constexpr StatusTextResource kStatusTextResources[] = {
    {1, USB_STATUS_TEXT_1},   {2, USB_STATUS_TEXT_2},   {3, USB_STATUS_TEXT_3},
    {4, USB_STATUS_TEXT_4},   {5, USB_STATUS_TEXT_5},   {6, USB_STATUS_TEXT_6},
    {7, USB_STATUS_TEXT_7},   {8, USB_STATUS_TEXT_8},   {9, USB_STATUS_TEXT_9},
    {12, USB_STATUS_TEXT_12}, {13, USB_STATUS_TEXT_13}, {14, USB_STATUS_TEXT_14},
    {15, USB_STATUS_TEXT_15}, {16, USB_STATUS_TEXT_16}, {17, USB_STATUS_TEXT_17},
    {18, USB_STATUS_TEXT_18}, {19, USB_STATUS_TEXT_19}, {20, USB_STATUS_TEXT_20},
    {21, USB_STATUS_TEXT_21}, {22, USB_STATUS_TEXT_22}, {23, USB_STATUS_TEXT_23},
    {24, USB_STATUS_TEXT_24}, {25, USB_STATUS_TEXT_25}, {26, USB_STATUS_TEXT_26},
    {27, USB_STATUS_TEXT_27}, {28, USB_STATUS_TEXT_28}, {29, USB_STATUS_TEXT_29},
    {30, USB_STATUS_TEXT_30}, {31, USB_STATUS_TEXT_31}, {32, USB_STATUS_TEXT_32},
    {33, USB_STATUS_TEXT_33}, {34, USB_STATUS_TEXT_34}, {35, USB_STATUS_TEXT_35},
    {36, USB_STATUS_TEXT_36}, {37, USB_STATUS_TEXT_37}, {38, USB_STATUS_TEXT_38},
    {39, USB_STATUS_TEXT_39}, {40, USB_STATUS_TEXT_40}, {41, USB_STATUS_TEXT_41},
    {43, USB_STATUS_TEXT_43}, {44, USB_STATUS_TEXT_44},
};

}  // namespace usb
#endif /* RC_INVOKED */

#endif /* VELKOR_USB_STATUS_TEXTS_H */
