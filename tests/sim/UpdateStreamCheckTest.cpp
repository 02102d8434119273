// How the virtual plotter checks an update stream before it takes it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sim/UpdateStreamCheck.h"
#include "sim/UpdateStreamReceiver.h"
#include "sim/WordChecksum.h"

namespace sim {
namespace {

std::vector<uint8_t> image(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = uint8_t(i * 7 + i / 251);
  return bytes;
}

// Big-endian 16-bit words summed, written out plainly.
uint32_t checksumOf(const std::vector<uint8_t>& bytes) {
  uint32_t sum = 0;
  for (size_t i = 0; i < bytes.size(); ++i) sum += i % 2 == 0 ? uint32_t(bytes[i]) << 8 : bytes[i];
  return sum;
}

// A line padded to an even length and ended as firmware expects it (or, wrongly, to an odd one).
std::string ended(const std::string& line, bool even = true) {
  return line + ((line.size() % 2 != 0) == even ? "\r" : " \r");
}

std::string transferLine(const std::string& title, uint32_t count, uint32_t checksum) {
  char text[64];
  std::snprintf(text, sizeof text, "%s %x %x ", title.c_str(), count, checksum);
  return ended(text);
}

std::vector<uint8_t> stream(const std::string& line, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> bytes(line.begin(), line.end());
  bytes.insert(bytes.end(), data.begin(), data.end());
  return bytes;
}

UpdateStreamCheck check(const std::vector<uint8_t>& bytes) {
  return checkUpdateStream(bytes.data(), bytes.size());
}

TEST(UpdateStreamCheck, AcceptsAStreamWhoseLineMatchesItsImage) {
  for (std::string title : {"PROG 2.01 A3", "PROG 2.01 A3x", "BOOT"}) {  // both paddings
    std::vector<uint8_t> data = image(0x20000);
    UpdateStreamCheck result = check(stream(transferLine(title, 0x20000, checksumOf(data)), data));
    EXPECT_TRUE(result.accepted) << title << ": " << result.reason;
    EXPECT_EQ(result.title, title);
    EXPECT_EQ(result.count, 0x20000u);
    EXPECT_EQ(result.checksum, checksumOf(data));
  }
}

TEST(UpdateStreamCheck, RefusesAWrongChecksumOrCount) {
  std::vector<uint8_t> data = image(4096);
  const uint32_t sum = checksumOf(data);
  EXPECT_EQ(check(stream(transferLine("PROG x", 4096, sum + 1), data)).reason, "checksum");
  EXPECT_EQ(check(stream(transferLine("PROG x", 4094, sum), data)).reason, "byte count");
  data.pop_back();
  EXPECT_EQ(check(stream(transferLine("PROG x", 4095, checksumOf(data)), data)).reason,
            "byte count");  // odd
}

TEST(UpdateStreamCheck, RefusesALineItCannotRead) {
  std::vector<uint8_t> data = image(64);
  const uint32_t sum = checksumOf(data);
  char text[64];
  std::snprintf(text, sizeof text, "PROG 040 %x ", sum);  // a leading zero
  EXPECT_EQ(check(stream(ended(text), data)).reason, "malformed transfer line");
  EXPECT_EQ(check(stream(ended("PROG 40 zz "), data)).reason, "malformed transfer line");
  EXPECT_EQ(check(stream(ended("40 1234 "), data)).reason, "malformed transfer line");
  std::snprintf(text, sizeof text, "PROG x 40 %x ", sum);
  EXPECT_EQ(check(stream(ended(text, false), data)).reason, "malformed transfer line");
  EXPECT_EQ(check(stream(std::string(60, 'A'), data)).reason, "no transfer line");
  EXPECT_EQ(check({}).reason, "no transfer line");
}

TEST(UpdateStreamCheck, TheNewTextIsTheTitleAfterItsKeyword) {
  EXPECT_EQ(updateText("PROG 2.01 A3"), "2.01 A3");
  EXPECT_EQ(updateText("PALL   1.15 qdKR A4"), "1.15 qdKR A4");
  EXPECT_EQ(updateText("PROG"), "");
  EXPECT_EQ(updateText("PROG   "), "");
}

TEST(WordChecksum, PiecesOfAnyLengthSumAsTheWhole) {
  std::vector<uint8_t> data = image(5001);
  WordChecksum pieces;
  pieces.add(data.data(), 3);
  pieces.add(data.data() + 3, 2500);
  pieces.add(data.data() + 2503, 2498);
  EXPECT_EQ(pieces.value(), checksumOf(data));
  WordChecksum two;
  const uint8_t bytes[] = {0x12, 0x34, 0xFF};
  two.add(bytes, 3);
  EXPECT_EQ(two.value(), 0x1234u + 0xFF00u);
}

size_t feed(UpdateStreamReceiver& receiver, const std::string& bytes) {
  return receiver.take(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

TEST(UpdateStreamReceiver, TakesAStreamInAnyPiecesAndNothingBeyondItsEnd) {
  std::vector<uint8_t> data = image(1000);
  std::vector<uint8_t> bytes = stream(transferLine("PROG 2.01 A3", 1000, checksumOf(data)), data);
  const std::string sent = std::string(bytes.begin(), bytes.end()) + "PA;";
  for (size_t piece : {size_t{1}, size_t{7}, size_t{4096}}) {
    UpdateStreamReceiver receiver;
    size_t taken = 0;
    for (size_t at = 0; at < sent.size(); at += piece) {
      EXPECT_EQ(receiver.outcome().has_value(), at >= bytes.size()) << piece << " at " << at;
      taken += feed(receiver, sent.substr(at, piece));
    }
    EXPECT_EQ(taken, bytes.size()) << piece;
    ASSERT_TRUE(receiver.outcome());
    EXPECT_TRUE(receiver.outcome()->accepted) << receiver.outcome()->reason;
  }
  UpdateStreamReceiver empty;
  EXPECT_EQ(feed(empty, transferLine("CONF", 0, 0) + "PA;"), 10u) << "a line alone, no image";
  EXPECT_TRUE(empty.outcome()->accepted);
}

TEST(UpdateStreamReceiver, RefusesAStreamTooLargeForAPlotterOnceItsLineIsRead) {
  UpdateStreamReceiver receiver;
  const std::string line = transferLine("PROG 2.01", 0x500000, 0x1234);
  EXPECT_EQ(feed(receiver, line + "abcd"), line.size());
  EXPECT_EQ(receiver.outcome()->reason, "byte count");
}

}  // namespace
}  // namespace sim
