#include "os/linux/LibusbError.h"

namespace os::linux_platform {

DWORD windowsErrorOf(int libusbError) {
  if (libusbError >= 0) return ERROR_SUCCESS;
  switch (libusbError) {
    case LIBUSB_ERROR_IO:
      return ERROR_GEN_FAILURE;
    case LIBUSB_ERROR_INVALID_PARAM:
      return ERROR_INVALID_PARAMETER;
    case LIBUSB_ERROR_ACCESS:
      return ERROR_ACCESS_DENIED;
    case LIBUSB_ERROR_NO_DEVICE:
      return ERROR_DEVICE_NOT_CONNECTED;  // as the simulated machine ends a vanished device's
    case LIBUSB_ERROR_NOT_FOUND:
      return ERROR_FILE_NOT_FOUND;
    case LIBUSB_ERROR_BUSY:  // another program (or a kernel driver) has claimed the interface
      return ERROR_SHARING_VIOLATION;
    case LIBUSB_ERROR_TIMEOUT:
      return ERROR_SEM_TIMEOUT;
    case LIBUSB_ERROR_OVERFLOW:  // the device sent more than it was asked for: malformed
      return ERROR_INVALID_DATA;
    case LIBUSB_ERROR_PIPE:  // the endpoint stalled, or the device refused the request
      return ERROR_GEN_FAILURE;
    case LIBUSB_ERROR_INTERRUPTED:
      return ERROR_OPERATION_ABORTED;
    case LIBUSB_ERROR_NO_MEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case LIBUSB_ERROR_NOT_SUPPORTED:
      return ERROR_NOT_SUPPORTED;
    default:
      return ERROR_GEN_FAILURE;
  }
}

DWORD windowsErrorOf(libusb_transfer_status status) {
  switch (status) {
    case LIBUSB_TRANSFER_COMPLETED:
      return ERROR_SUCCESS;
    case LIBUSB_TRANSFER_CANCELLED:
      return ERROR_OPERATION_ABORTED;
    case LIBUSB_TRANSFER_NO_DEVICE:
      return ERROR_DEVICE_NOT_CONNECTED;
    case LIBUSB_TRANSFER_TIMED_OUT:
      return ERROR_SEM_TIMEOUT;
    case LIBUSB_TRANSFER_OVERFLOW:
      return ERROR_INVALID_DATA;
    case LIBUSB_TRANSFER_STALL:
    case LIBUSB_TRANSFER_ERROR:
    default:
      return ERROR_GEN_FAILURE;
  }
}

}  // namespace os::linux_platform
