#include "cli_options.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// The options point into the words, so the words live as long as the result.
struct Parsed {
    int ok;
    CliOptions options;
    std::string error;
    std::vector<std::string> words;
};

Parsed parse(std::vector<std::string> words) {
    Parsed p;
    p.words = std::move(words);
    p.words.insert(p.words.begin(), "elenco");
    std::vector<char*> argv;
    for (std::string& w : p.words)
        argv.push_back(&w[0]);
    char error[256] = "";
    p.ok =
        parseCliOptions(static_cast<int>(argv.size()), argv.data(), p.options, error, sizeof error);
    p.error = error;
    return p;
}

TEST(CliOptions, FlagsBuildTheDialogsWord) {
    EXPECT_EQ(parse({"x"}).options.word, 31u);
    EXPECT_EQ(parse({"-R", "--no-length", "--no-modified", "--sort=type", "x"}).options.word, 36u);
    EXPECT_EQ(parse({"-Rs", "length", "x"}).options.word, 2u + 4 + 8 + 64);
    EXPECT_EQ(parse({"-slength", "--sort", "name", "x"}).options.word, 31u);
    EXPECT_EQ(parse({"--no-type", "x"}).options.word, 27u);
}

TEST(CliOptions, RawWordOverridesTheFlags) {
    EXPECT_EQ(parse({"--options", "0", "-R", "x"}).options.word, 0u);
    EXPECT_EQ(parse({"--options=4294967295", "x"}).options.word, 4294967295u);
    EXPECT_FALSE(parse({"--options=4294967296", "x"}).ok);
    EXPECT_FALSE(parse({"--options=3a", "x"}).ok);
    EXPECT_FALSE(parse({"--options", "x"}).ok);
}

TEST(CliOptions, OutputQuietAndOperands) {
    Parsed p = parse({"-q", "-o", "-", "--", "-cartella"});
    ASSERT_TRUE(p.ok);
    EXPECT_TRUE(p.options.quiet);
    EXPECT_STREQ(p.options.output, "-");
    EXPECT_STREQ(p.options.folder, "-cartella");
    EXPECT_STREQ(parse({"--output=r.txt", "x"}).options.output, "r.txt");
    EXPECT_STREQ(parse({"-or.txt", "x"}).options.output, "r.txt");
}

TEST(CliOptions, BadUsageSaysWhy) {
    EXPECT_EQ(parse({}).error, "missing 'FOLDER'");
    EXPECT_EQ(parse({"a", "b"}).error, "extra operand 'b'");
    EXPECT_EQ(parse({"--sort=size", "x"}).error, "invalid sort key 'size'");
    EXPECT_EQ(parse({"-x", "a"}).error, "invalid option '-x'");
    EXPECT_EQ(parse({"--colour", "a"}).error, "unrecognized option '--colour'");
    EXPECT_FALSE(parse({"-o"}).ok);
    EXPECT_TRUE(parse({"--help"}).ok);
}

} // namespace
