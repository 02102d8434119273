// make-sample-firmware: writes sample firmware update files for demos and fuzzing.
//
//   make-sample-firmware OUT.cas [options]   one file
//   make-sample-firmware --catalogue DIR     one file of every kind into DIR
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "tests/support/SampleFirmware.h"

namespace {

using velkor::test::Descriptor;
using velkor::test::SampleFirmware;

constexpr const char kUsage[] =
    "usage: make-sample-firmware OUT.cas [--section KEYWORD] [--note TEXT] [--size N]\n"
    "         [--descriptor a|b|legacy|none] [--product ID] [--marker V|none]\n"
    "         [--generation V] [--text TEXT]... [--fill V] [--cut N]\n"
    "       make-sample-firmware --catalogue DIR\n"
    "Numbers may be decimal or 0x hexadecimal. The default is a valid PALL image of\n"
    "131072 data bytes with descriptor pattern B and product ID 0x4c01.\n";

unsigned long number(const std::string& text) { return std::stoul(text, nullptr, 0); }

Descriptor descriptorNamed(const std::string& name) {
  if (name == "a") return Descriptor::PatternA;
  if (name == "b") return Descriptor::PatternB;
  if (name == "legacy") return Descriptor::Legacy;
  if (name == "none") return Descriptor::None;
  throw std::invalid_argument("unknown descriptor " + name);
}

// Applies one option with its value; false for an unknown option.
bool applyOption(SampleFirmware& s, const std::string& option, const std::string& value) {
  if (option == "--section") s.keyword = value;
  else if (option == "--note") s.headerNote = value;
  else if (option == "--size") s.dataCount = number(value);
  else if (option == "--descriptor") s.descriptor = descriptorNamed(value);
  else if (option == "--product") s.productId = static_cast<uint16_t>(number(value));
  else if (option == "--marker") s.marker = value == "none" ? std::nullopt : std::optional<uint8_t>(number(value));
  else if (option == "--generation") s.generation = static_cast<uint8_t>(number(value));
  else if (option == "--text") s.texts.push_back(value);
  else if (option == "--fill") s.fill = static_cast<uint8_t>(number(value));
  else if (option == "--cut") s.truncateTo = number(value);
  else return false;
  return true;
}

int writeCatalogue(const std::string& directory) {
  for (const velkor::test::NamedSample& named : velkor::test::sampleCatalogue()) {
    const std::filesystem::path path = std::filesystem::path(directory) / (named.name + ".cas");
    if (!velkor::test::writeSampleFirmware(path, named.sample)) {
      std::fprintf(stderr, "make-sample-firmware: cannot write %s\n", path.string().c_str());
      return 1;
    }
  }
  return 0;
}

int run(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--catalogue") return writeCatalogue(argv[2]);
  if (argc < 2 || argc % 2 != 0 || argv[1][0] == '-') {
    std::fputs(kUsage, stderr);
    return 2;
  }
  SampleFirmware sample;
  sample.descriptor = Descriptor::PatternB;
  sample.productId = 0x4C01;
  for (int i = 2; i + 1 < argc; i += 2) {
    if (!applyOption(sample, argv[i], argv[i + 1])) {
      std::fprintf(stderr, "make-sample-firmware: unknown option %s\n%s", argv[i], kUsage);
      return 2;
    }
  }
  if (velkor::test::writeSampleFirmware(argv[1], sample)) return 0;
  std::fprintf(stderr, "make-sample-firmware: cannot write %s\n", argv[1]);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make-sample-firmware: %s\n%s", error.what(), kUsage);
    return 2;
  }
}
