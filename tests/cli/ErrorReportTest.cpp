// Every velkorctl error in one shape: one line "velkorctl COMMAND: why" on standard error (and
// the --help pointer for a usage error), or {"error":{"code":N,"message":...}} with --json, where
// --json counts only where it is parsed as an option.
#include <gtest/gtest.h>

#include "tests/cli/RunVelkorctl.h"

namespace velkor::test {
namespace {

const std::string kMissing = "no-such-dir/none.cas";

TEST(ErrorReport, TextIsOneLineAndAUsageErrorPointsToHelp) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> usage = {
      {{}, "velkorctl: missing command\nTry 'velkorctl --help'.\n"},
      {{"frob"}, "velkorctl: unknown command 'frob'\nTry 'velkorctl --help'.\n"},
      {{"inspect"}, "velkorctl inspect: missing FILE.cas\nTry 'velkorctl inspect --help'.\n"},
      {{"inspect", "a", "b"},
       "velkorctl inspect: unexpected argument 'b'\nTry 'velkorctl inspect --help'.\n"}};
  for (const auto& [args, err] : usage) {
    const Outcome r = velkorctl(args);
    EXPECT_EQ(r.exit, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, err);
  }
  const Outcome file = velkorctl({"inspect", kMissing});
  EXPECT_EQ(file.exit, 3);
  EXPECT_EQ(file.out, "");
  EXPECT_EQ(
      file.err.find("velkorctl inspect: Could not open firmware update file: " + kMissing + ": "),
      0u)
      << file.err;
  EXPECT_EQ(file.err.find('\n'), file.err.size() - 1) << file.err;
}

TEST(ErrorReport, JsonCarriesTheCodeAndMessageOfEveryKind) {
  const Outcome usage = velkorctl({"frob", "--json"});
  EXPECT_EQ(usage.exit, 2);
  EXPECT_EQ(usage.err, "");
  EXPECT_EQ(usage.out,
            "{\"error\":{\"code\":2,\"message\":\"unknown command 'frob'\"},\"exitCode\":2}\n");
  const Outcome file = velkorctl({"inspect", kMissing, "--json"});
  EXPECT_EQ(file.exit, 3);
  EXPECT_EQ(file.err, "");
  EXPECT_EQ(file.out.find("{\"file\":\"" + kMissing +
                          "\",\"accepted\":false,\"error\":{\"code\":3,"
                          "\"message\":\"Could not open firmware update file: " +
                          kMissing + ": "),
            0u)
      << file.out;
  const std::string end = "\"},\"exitCode\":3}\n";
  EXPECT_EQ(file.out.substr(file.out.size() - end.size()), end) << file.out;
}

TEST(ErrorReport, JsonOnlyWhereParsedAsAnOption) {
  // After "--" it is a file name, and as --stream's value the name of the stream file.
  const Outcome afterDashes = velkorctl({"inspect", "--", "--json"});
  EXPECT_EQ(afterDashes.exit, 3);
  EXPECT_EQ(afterDashes.out, "");
  EXPECT_EQ(
      afterDashes.err.find("velkorctl inspect: Could not open firmware update file: --json: "), 0u)
      << afterDashes.err;
  const Outcome asValue = velkorctl({"inspect", kMissing, "--stream", "--json"});
  EXPECT_EQ(asValue.exit, 3);
  EXPECT_EQ(asValue.out, "");
  EXPECT_NE(asValue.err, "");
  EXPECT_EQ(velkorctl({"frob", "--", "--json"}).out, "");
  EXPECT_EQ(velkorctl({"models", "--json=1"}).out, "");
  // A mistake before it does not stop the option from being parsed.
  const Outcome after = velkorctl({"inspect", "a", "--strem", "x", "--json"});
  EXPECT_EQ(after.exit, 2);
  EXPECT_EQ(after.out,
            "{\"error\":{\"code\":2,\"message\":\"unknown option '--strem'\"},\"exitCode\":2}\n");
}

}  // namespace
}  // namespace velkor::test
