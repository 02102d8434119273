/* The texts of the USB library's statuses, string resources 1 to 44 (10, 11 and 42 are not
   used). The one place they are written: the Windows programs carry them as a STRINGTABLE
   (usb/UsbStatusTexts.rc), and the simulated machine is given them from the table below.
   Plain C preprocessor text, so that the resource compiler reads it too: X(id, text) is
   expanded once for each string resource. */
#ifndef VELKOR_USB_STATUS_TEXTS_H
#define VELKOR_USB_STATUS_TEXTS_H

#define USB_STATUS_TEXTS(X) \
  X(1, "The data failed its CRC check.") \
  X(2, "A bit stuffing error was seen on the bus.") \
  X(3, "The data toggle did not match.") \
  X(4, "The endpoint answered with a stall.") \
  X(5, "The device is not responding.") \
  X(6, "A packet identifier failed its check.") \
  X(7, "An unexpected packet identifier was received.") \
  X(8, "The device sent more data than was asked for.") \
  X(9, "The device sent less data than was asked for.") \
  X(12, "The host controller's buffer overflowed.") \
  X(13, "The host controller's buffer ran empty.") \
  X(14, "The host controller did not reach the transfer.") \
  X(15, "The host controller's FIFO failed.") \
  X(16, "The endpoint is halted.") \
  X(17, "Not enough memory for the USB request.") \
  X(18, "The USB request function is not valid.") \
  X(19, "A handle or a parameter of the USB request is not valid.") \
  X(20, "The USB device is busy.") \
  X(21, "The USB request failed.") \
  X(22, "The pipe handle is not valid.") \
  X(23, "There is not enough USB bandwidth.") \
  X(24, "The host controller reported an internal error.") \
  X(25, "The transfer ended short.") \
  X(26, "The start frame of the transfer is not valid.") \
  X(27, "The isochronous request failed.") \
  X(28, "The frame length control is already owned.") \
  X(29, "The frame length control is not owned.") \
  X(30, "The USB driver refused the request.") \
  X(31, "The USB driver reported an internal error.") \
  X(32, "There are no more USB devices.") \
  X(33, "The USB device has been removed.") \
  X(34, "A parameter of the USB request is not valid.") \
  X(35, "The USB request was cancelled.") \
  X(36, "The USB request is still in progress.") \
  X(37, "The USB request timed out.") \
  X(38, "The USB device configuration is not valid.") \
  X(39, "The USB device is not configured.") \
  X(40, "The USB device is locked by another program.") \
  X(41, "The USB device lock is not held.") \
  X(43, "The pipe is not attached to its device.") \
  X(44, "The USB driver version does not match.")

#ifndef RC_INVOKED
namespace usb {

struct StatusTextResource {
  unsigned id;
  const char* text;
};

// Every status text with its string resource ID, for platforms that are given their string
// resources rather than reading them from the program file.
#define USB_STATUS_TEXT_RESOURCE(id, text) {id, text},
inline constexpr StatusTextResource kStatusTextResources[] = {
    USB_STATUS_TEXTS(USB_STATUS_TEXT_RESOURCE)};
#undef USB_STATUS_TEXT_RESOURCE

}  // namespace usb
#endif /* RC_INVOKED */

#endif /* VELKOR_USB_STATUS_TEXTS_H */
