#include "usb/UsbHandleList.h"

namespace usb {

void UsbHandleList::add(UsbHandle& member) {
  if (count == 0) {
    member.next = member.previous = &member;
    oldest = &member;
  } else {
    member.previous = newest;
    member.next = oldest;
    newest->next = &member;
    oldest->previous = &member;
  }
  newest = &member;
  ++count;
}

void UsbHandleList::remove(UsbHandle& member) {
  if (count == 1) {
    newest = oldest = nullptr;
  } else {
    member.previous->next = member.next;
    member.next->previous = member.previous;
    if (newest == &member) newest = member.previous;
    if (oldest == &member) oldest = member.next;
  }
  member.next = member.previous = nullptr;
  --count;
}

}  // namespace usb
