// The circular lists of open devices and pipes.
#include <gtest/gtest.h>

#include "usb/UsbHandleList.h"

namespace usb {
namespace {

TEST(UsbHandleList, StaysCircularAsMembersComeAndGo) {
  UsbHandle a(kPipeKind), b(kPipeKind), c(kPipeKind);
  UsbHandleList list;
  list.add(a);
  EXPECT_EQ(a.next, &a);
  EXPECT_EQ(a.previous, &a);
  list.add(b);
  list.add(c);
  EXPECT_EQ(list.oldest, &a);
  EXPECT_EQ(list.newest, &c);
  EXPECT_EQ(c.next, &a);
  EXPECT_EQ(a.previous, &c);

  list.remove(a);  // the oldest
  EXPECT_EQ(list.oldest, &b);
  EXPECT_EQ(c.next, &b);
  EXPECT_EQ(b.previous, &c);
  list.remove(c);  // the newest
  EXPECT_EQ(list.newest, &b);
  EXPECT_EQ(b.next, &b);
  list.remove(b);
  EXPECT_EQ(list.count, 0u);
  EXPECT_EQ(list.newest, nullptr);
  EXPECT_EQ(list.oldest, nullptr);
}

}  // namespace
}  // namespace usb
