#include "os/linux/UsbTransfer.h"

#include <algorithm>
#include <cstring>

#include "os/linux/LibusbError.h"
#include "os/sim/OutsideRequest.h"

namespace os::linux_platform {

UsbTransfer::UsbTransfer(std::shared_ptr<UsbDeviceHandle> handle, const sim::IoRequest& request,
                         size_t bufferSize, bool in)
    : handle_(std::move(handle)),
      transfer_(libusb_alloc_transfer(0)),
      buffer_(bufferSize),
      in_(in),
      output_(request.output),
      outputLength_(request.outputLength) {}

UsbTransfer::~UsbTransfer() {
  if (transfer_) libusb_free_transfer(transfer_);
}

std::shared_ptr<UsbTransfer> UsbTransfer::pipe(std::shared_ptr<UsbDeviceHandle> handle,
                                               unsigned char endpoint, bool interrupt,
                                               const sim::IoRequest& request) {
  const bool in = (endpoint & LIBUSB_ENDPOINT_IN) != 0;
  const DWORD length = in ? request.outputLength : request.inputLength;
  std::shared_ptr<UsbTransfer> made(new UsbTransfer(std::move(handle), request, length, in));
  if (!made->transfer_) return made;
  if (!in && length > 0) std::memcpy(made->buffer_.data(), request.input, length);
  auto fill = interrupt ? libusb_fill_interrupt_transfer : libusb_fill_bulk_transfer;
  // No time-out: a pipe request pends until it ends or is cancelled, as an overlapped one does.
  fill(made->transfer_, made->handle_->get(), endpoint, made->buffer_.data(), int(length),
       &UsbTransfer::ended, made.get(), 0);
  return made;
}

std::shared_ptr<UsbTransfer> UsbTransfer::control(std::shared_ptr<UsbDeviceHandle> handle,
                                                  const usb::ControlSetup& setup,
                                                  const sim::IoRequest& request,
                                                  std::span<const BYTE> sent) {
  const size_t size = LIBUSB_CONTROL_SETUP_SIZE + setup.length;
  std::shared_ptr<UsbTransfer> made(
      new UsbTransfer(std::move(handle), request, size, setup.deviceToHost()));
  if (!made->transfer_) return made;
  made->dataOffset_ = LIBUSB_CONTROL_SETUP_SIZE;
  unsigned char* buffer = made->buffer_.data();
  libusb_fill_control_setup(buffer, setup.requestType, setup.request, setup.value, setup.index,
                            setup.length);
  if (!setup.deviceToHost()) {
    std::memcpy(buffer + LIBUSB_CONTROL_SETUP_SIZE, sent.data(),
                std::min<size_t>(setup.length, sent.size()));
  }
  libusb_fill_control_transfer(made->transfer_, made->handle_->get(), buffer,
                               &UsbTransfer::ended, made.get(), 0);
  return made;
}

sim::IoCompletion UsbTransfer::start() {
  if (!transfer_) return sim::IoCompletion::now({ERROR_NOT_ENOUGH_MEMORY, 0});
  std::weak_ptr<UsbTransfer> weak = weak_from_this();
  outside_ = std::make_shared<sim::OutsideRequest>([weak] {
    if (std::shared_ptr<UsbTransfer> transfer = weak.lock()) transfer->cancel();
  });
  inFlight_ = shared_from_this();
  LibusbContext& context = handle_->context();
  context.transferStarted(transfer_);
  int result = libusb_submit_transfer(transfer_);
  if (result != LIBUSB_SUCCESS) {
    context.transferNotStarted(transfer_);
    inFlight_.reset();
    return sim::IoCompletion::now({windowsErrorOf(result), 0});
  }
  return sim::IoCompletion::outsideBy(outside_);
}

void UsbTransfer::cancel() { libusb_cancel_transfer(transfer_); }

// On the event thread, inside libusb's event handling. The request's buffer is not touched
// here: finish() copies into it later, on the machine's thread, and only if the program still
// waits for it. The transfer is let go by the context once event handling has returned.
void LIBUSB_CALL UsbTransfer::ended(libusb_transfer* transfer) {
  auto* self = static_cast<UsbTransfer*>(transfer->user_data);
  std::shared_ptr<UsbTransfer> keep = std::move(self->inFlight_);
  LibusbContext& context = keep->handle_->context();
  keep->outside_->end([keep] { return keep->finish(); });
  context.transferEnded(transfer, std::move(keep));
}

sim::IoOutcome UsbTransfer::finish() const {
  DWORD error = windowsErrorOf(transfer_->status);
  DWORD count = DWORD(std::max(transfer_->actual_length, 0));
  if (in_ && count > 0) {
    count = std::min(count, outputLength_);
    std::memcpy(output_, buffer_.data() + dataOffset_, count);
  }
  return {error, count};
}

}  // namespace os::linux_platform
