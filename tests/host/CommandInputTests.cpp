#include "host/CommandRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>

#include <cctype>
#include <sstream>

using command_run::lineCount;
using command_run::quote;
using command_run::Result;
using command_run::run;
using command_run::shell;
using testing_support::TempFolder;
using testing_support::TestHome;

namespace {

namespace fs = std::filesystem;

const std::string kReplacement = "\xEF\xBF\xBD";
const std::string kRoll = "/var/mobile/Media/DCIM/100APPLE/";

void expectOneLineError(const Result& result, const std::string& what)
{
    EXPECT_EQ(result.status, 2) << what << ": " << result.err;
    EXPECT_EQ(lineCount(result.err), 1u) << what << ": " << result.err;
    EXPECT_TRUE(result.err.starts_with("orvessa: ") || result.err.starts_with("script: ")) << what << ": " << result.err;
}

TEST(CommandInput, NamesThatAreNotUtf8ReachJsonAsReplacementCharacters)
{
    TestHome home;
    home.addPhoto("caf\xE9.JPG"); // Latin-1, a legal Linux name.
    home.addPhoto("lower\xE9.jpg");
    Result photos = run("photos --json --home " + quote(home.path()));
    ASSERT_EQ(photos.status, 0) << photos.err;
    auto report = nlohmann::json::parse(photos.out);
    EXPECT_EQ(report["images"], nlohmann::json({ kRoll + "caf" + kReplacement + ".JPG" }));
    ASSERT_EQ(report["leftOut"].size(), 1u);
    EXPECT_EQ(report["leftOut"][0]["path"], kRoll + "lower" + kReplacement + ".jpg");

    Result script = run("script --home " + quote(home.path()) + " -", "create\nplaceholder\nfull\nadvance 1\ndump\n");
    ASSERT_EQ(script.status, 0) << script.err;
    auto dump = nlohmann::json::parse(script.out);
    EXPECT_EQ(dump["controller"]["images"], nlohmann::json({ kRoll + "caf" + kReplacement + ".JPG" }));
    EXPECT_NE(script.out.find("\"path\":\"" + kRoll + "caf" + kReplacement + ".JPG\""), std::string::npos) << "the image view's picture too";
}

TEST(CommandInput, PhotosTextEscapesNamesSoNoneCanForgeAnEntry)
{
    TestHome home;
    home.addPhoto("real.JPG");
    home.addPhoto("x\n  2. FORGED.JPG");
    home.addPhoto("\x1B]0;owned\x07.JPG");
    home.addPhoto("caf\xE9.JPG");
    home.addPhoto("left\nout.jpg");
    Result result = run("photos --home " + quote(home.path()));
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string& text = result.out;
    EXPECT_EQ(text.find('\x1B'), std::string::npos) << "no escape sequence reaches the terminal";
    EXPECT_EQ(text.find('\x07'), std::string::npos);
    EXPECT_NE(text.find("x\\n  2. FORGED.JPG"), std::string::npos) << text;
    EXPECT_NE(text.find("\\x1B]0;owned\\x07.JPG"), std::string::npos) << text;
    EXPECT_NE(text.find("caf\\xE9.JPG"), std::string::npos) << text;
    EXPECT_NE(text.find("left\\nout.jpg"), std::string::npos) << text;
    // One line per entry: four shown, numbered 1 to 4, and no other line starts like an entry.
    std::istringstream lines(text);
    std::string line;
    int numbered = 0;
    while (std::getline(lines, line)) {
        if (line.size() > 4 && line.starts_with("  ") && std::isdigit(static_cast<unsigned char>(line[2])) && line[3] == '.')
            ++numbered;
    }
    EXPECT_EQ(numbered, 4) << text;
}

TEST(CommandInput, ScriptsAreRegularFilesOrStandardInputWithinTheirLimits)
{
    TempFolder folder;
    expectOneLineError(run("script " + quote(folder.path())), "a folder");
    EXPECT_NE(run("script " + quote(folder.path())).err.find(folder.path().string() + ": not a regular file"), std::string::npos);
    expectOneLineError(run("script /dev/zero"), "a device");
    auto fifo = folder.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // timeout turns a wait on the pipe, the fault, into a status the test sees.
    Result pipe = shell("timeout 20 {orvessa} script " + quote(fifo));
    expectOneLineError(pipe, "a named pipe");

    Result endless = shell("{orvessa} script - < /dev/zero");
    expectOneLineError(endless, "endless standard input");
    EXPECT_NE(endless.err.find("standard input: larger than 1048576 bytes"), std::string::npos) << endless.err;
    auto big = folder.write("big.script", std::string(1048577, '\n'));
    expectOneLineError(run("script " + quote(big)), "a file over the limit");
    auto justFits = folder.write("fits.script", "dump\n" + std::string(1048576 - 5, '\n'));
    EXPECT_EQ(run("script " + quote(justFits)).status, 0);

    Result longLine = run("script -", "create\n#" + std::string(5000, 'x') + "\ndump\n");
    EXPECT_EQ(longLine.status, 2);
    EXPECT_EQ(longLine.err, "script: line 2: longer than 4096 bytes\n");
    EXPECT_EQ(run("script -", "#" + std::string(4095, 'x') + "\n").status, 0) << "a line of exactly 4096 bytes is fine";

    Result help = run("script --help");
    EXPECT_NE(help.out.find("1048576 bytes"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("4096 bytes"), std::string::npos) << help.out;
}

TEST(CommandInput, ErrorsQuoteOnlyAShortEscapedPrefixOfBadInput)
{
    Result command = run("script -", "create\n" + std::string(4000, 'w') + "\n");
    EXPECT_EQ(command.err, "script: line 2: unknown command '" + std::string(40, 'w') + "...'\n");
    Result number = run("script -", "advance 1" + std::string(3000, '0') + "x\n");
    EXPECT_EQ(number.err, "script: line 1: advance: '1" + std::string(39, '0') + "...' is not a number\n");
    Result control = run("script -", "\x1B[2Jclear\n");
    EXPECT_EQ(control.err, "script: line 1: unknown command '\\x1B[2Jclear'\n");

    Result seed = run("photos --seed $(printf '\\033[31m')");
    expectOneLineError(seed, "--seed");
    EXPECT_NE(seed.err.find("--seed: '\\x1B[31m' is not a whole number"), std::string::npos) << seed.err;
    Result parser = run("photos --scale $(printf '\\033[31m')$(head -c 100000 /dev/zero | tr '\\0' 9)");
    expectOneLineError(parser, "--scale");
    EXPECT_EQ(parser.err.find('\x1B'), std::string::npos);
    EXPECT_LT(parser.err.size(), 400u);
}

TEST(CommandInput, EmptyOptionValuesAreRefusedNamingTheOption)
{
    TempFolder folder;
    for (std::string option : { "--home", "--photos", "--seed", "--os-version" }) {
        Result result = run("photos " + option + " ''");
        expectOneLineError(result, option);
        EXPECT_NE(result.err.find(option + ": an empty value is not allowed"), std::string::npos) << result.err;
    }
    for (const std::string& arguments : {
             std::string("snapshot --at 0 --out ''"),
             std::string("record --seconds 1 --out ''"),
             "snapshot --at 0 --script '' --out " + quote(folder.path() / "s.png"),
             std::string("run --seconds 1 --screenshot ''"),
             std::string("script ''"),
         }) {
        Result result = run(arguments);
        expectOneLineError(result, arguments);
        EXPECT_NE(result.err.find("an empty value is not allowed"), std::string::npos) << result.err;
    }
    EXPECT_TRUE(fs::is_empty(folder.path()));
}

TEST(CommandInput, OutputThatCannotBeWrittenIsAFailure)
{
    TestHome home;
    Result result = shell("{orvessa} photos --home " + quote(home.path()) + " > /dev/full");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "orvessa: cannot write to standard output: No space left on device\n");
}

TEST(CommandInput, AnUnknownSubcommandIsNamed)
{
    Result result = run("bogus --home x");
    expectOneLineError(result, "bogus");
    EXPECT_NE(result.err.find("'bogus' is not a subcommand"), std::string::npos) << result.err;
}

TEST(CommandInput, SeedsThatDifferAboveBit32ShuffleDifferently)
{
    TestHome home;
    home.writePreferences("<key>Shuffle</key><true/>");
    for (int i = 0; i < 12; ++i)
        home.addPhoto("IMG_" + std::to_string(1000 + i) + ".JPG");
    auto order = [&](const std::string& seed) {
        Result result = run("photos --json --seed " + seed + " --home " + quote(home.path()));
        EXPECT_EQ(result.status, 0) << result.err;
        return nlohmann::json::parse(result.out)["images"];
    };
    auto low = order("5");
    EXPECT_EQ(low.size(), 12u);
    EXPECT_EQ(order("5"), low) << "a seed repeats its run";
    EXPECT_NE(order("4294967301"), low) << "5 + 2^32";
    EXPECT_NE(order("18446744069414584325"), low) << "5 + 0xFFFFFFFF00000000";
}

}
