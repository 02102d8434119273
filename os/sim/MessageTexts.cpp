#include "os/sim/MessageTexts.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "os/sim/LastError.h"

namespace os::sim {
namespace {

struct MessageText {
  DWORD id;
  const char* text;
};

constexpr MessageText kMessages[] = {
    {ERROR_SUCCESS, "The operation completed successfully."},
    {ERROR_INVALID_FUNCTION, "Incorrect function."},
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
    {ERROR_ACCESS_DENIED, "Access is denied."},
    {ERROR_INVALID_HANDLE, "The handle is invalid."},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command."},
    {ERROR_INVALID_DATA, "The data is invalid."},
    {ERROR_OUTOFMEMORY, "Not enough memory resources are available to complete this operation."},
    {ERROR_NOT_READY, "The device is not ready."},
    {ERROR_BAD_COMMAND, "The device does not recognize the command."},
    {ERROR_CRC, "Data error (cyclic redundancy check)."},
    {ERROR_BAD_LENGTH, "The program issued a command but the command length is incorrect."},
    {ERROR_WRITE_FAULT, "The system cannot write to the specified device."},
    {ERROR_READ_FAULT, "The system cannot read from the specified device."},
    {ERROR_GEN_FAILURE, "A device attached to the system is not functioning."},
    {ERROR_SHARING_VIOLATION,
     "The process cannot access the file because it is being used by another process."},
    {ERROR_HANDLE_EOF, "Reached the end of the file."},
    {ERROR_HANDLE_DISK_FULL, "The disk is full."},
    {ERROR_NOT_SUPPORTED, "The request is not supported."},
    {ERROR_FILE_EXISTS, "The file exists."},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
    {ERROR_DISK_FULL, "There is not enough space on the disk."},
    {ERROR_SEM_TIMEOUT, "The semaphore timeout period has expired."},
    {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small."},
    {ERROR_INVALID_NAME, "The filename, directory name, or volume label syntax is incorrect."},
    {ERROR_INVALID_LEVEL, "The system call level is not correct."},
    {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists."},
    {ERROR_MORE_DATA, "More data is available."},
    {ERROR_NO_MORE_ITEMS, "No more data is available."},
    {ERROR_OPERATION_ABORTED,
     "The I/O operation has been aborted because of either a thread exit or an application "
     "request."},
    {ERROR_IO_INCOMPLETE, "Overlapped I/O event is not in a signaled state."},
    {ERROR_IO_PENDING, "Overlapped I/O operation is in progress."},
    {ERROR_NOACCESS, "Invalid access to memory location."},
    {ERROR_CAN_NOT_COMPLETE, "Cannot complete this function."},
    {ERROR_FILE_INVALID,
     "The volume for a file has been externally altered so that the opened file is no longer "
     "valid."},
    {ERROR_DEVICE_NOT_CONNECTED, "The device is not connected."},
    {ERROR_NOT_FOUND, "Element not found."},
    {ERROR_CANCELLED, "The operation was canceled by the user."},
    {ERROR_INVALID_USER_BUFFER,
     "The supplied user buffer is not valid for the requested operation."},
    {ERROR_INVALID_PRINTER_NAME, "The printer name is invalid."},
};

const char* messageText(DWORD id) {
  for (const MessageText& message : kMessages) {
    if (message.id == id) return message.text;
  }
  return nullptr;
}

}  // namespace

DWORD formatSystemMessage(DWORD flags, DWORD messageId, LPSTR buffer, DWORD size,
                          LocalHeap& heap) {
  if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || !buffer) return failWith(ERROR_INVALID_PARAMETER);
  const char* text = messageText(messageId);
  if (!text) return failWith(ERROR_MR_MID_NOT_FOUND);
  std::string message = std::string(text) + "\r\n";
  DWORD length = static_cast<DWORD>(message.size());
  char* target = buffer;
  if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
    // size is then the least the block must hold.
    SIZE_T room = std::max<SIZE_T>(length + 1, size);
    target = static_cast<char*>(heap.allocate(LMEM_FIXED, room));
    if (!target) return 0;
    *reinterpret_cast<LPSTR*>(buffer) = target;
  } else if (size < length + 1) {
    return failWith(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(target, message.c_str(), length + 1);
  return length;
}

}  // namespace os::sim
