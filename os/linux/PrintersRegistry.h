// The printers' registry keys of the Linux machine: what Windows would hold for the same print
// queues and USB printers, built from the CUPS queues and the present USB printer ports.
//
// Each queue gets a Printers key. Its "Port" is the USB printer port (USB001, ...) of the
// present device its device URI names (CUPS's usb backend writes usb://Maker/Model?serial=...,
// matched to a port by the port's IEEE 1284 maker and model and its serial), or else the URI's
// scheme ("ipp", "socket", "lpd", "usb" for a USB printer that is not there). A queue on a
// present USB printer also gets its PnPData, the printer device's key with its HardwareID, and
// the USB device's key with its ParentIdPrefix, laid out as os/sim/PrinterRegistryKeys does
// for the simulated machine.
#pragma once

#include <string>
#include <vector>

#include "os/linux/CupsQueues.h"
#include "os/linux/UsbPrinterPort.h"

namespace os::linux_platform {

// The port of ports whose device the queue prints to; null when none is.
const UsbPrinterPort* usbPortOfQueue(const CupsQueue& queue,
                                     const std::vector<UsbPrinterPort>& ports);

// The queue's "Port" value.
std::string queuePortName(const CupsQueue& queue, const std::vector<UsbPrinterPort>& ports);

// .reg text for SimMachine::loadRegistry.
std::string printersRegistryText(const std::vector<CupsQueue>& queues,
                                 const std::vector<UsbPrinterPort>& ports);

}  // namespace os::linux_platform
