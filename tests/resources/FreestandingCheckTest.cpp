// The player's link check refuses objects that need the heap, exceptions or other C++
// run-time support, which a freestanding program on the handheld does not have.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct CommandResult {
    int status = -1;
    std::string output;
};

CommandResult Run(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe)) result.output += buffer;
    result.status = pclose(pipe);
    return result;
}

// Removes the files it was given when it goes.
class TempFiles {
public:
    TempFiles() = default;
    TempFiles(const TempFiles&) = delete;
    TempFiles& operator=(const TempFiles&) = delete;
    ~TempFiles() {
        for (const std::string& path : paths_) std::remove(path.c_str());
    }
    std::string Add(std::string path) { return paths_.emplace_back(std::move(path)); }

private:
    std::vector<std::string> paths_;
};

// Compiles `source` with `compiler` (the program and its options) and returns the object's
// path and the compiler's verdict.
CommandResult Compile(TempFiles& files, const std::string& name, const std::string& source, const std::string& compiler,
                      std::string& objectPath) {
    // The process id keeps test runs of several build trees apart.
    const std::string stem = ::testing::TempDir() + "/kavro_" + std::to_string(getpid()) + "_" + name;
    const std::string sourcePath = files.Add(stem + ".cpp");
    objectPath = files.Add(stem + ".o");
    std::ofstream(sourcePath) << source;
    return Run(compiler + " -c " + sourcePath + " -o " + objectPath);
}

// Compiles `source` for the handheld as the player's build does and returns the object's path.
std::string CompileForHandheld(TempFiles& files, const std::string& name, const std::string& source) {
    std::string objectPath;
    const CommandResult compile = Compile(files, name, source,
                                          std::string(KAVRO_ARM_GXX) + " -mcpu=arm7tdmi -mthumb -O2 -ffreestanding -fno-rtti",
                                          objectPath);
    EXPECT_EQ(compile.status, 0) << compile.output;
    return objectPath;
}

CommandResult CheckObjects(const std::string& objects) {
    return Run(std::string(KAVRO_CMAKE) + " -DNM=" + KAVRO_ARM_NM + " \"-DFILES=" + objects + "\" -P " +
               KAVRO_CHECK_FREESTANDING);
}

TEST(PlayerLinkCheck, PassesCodeThatNeedsNoRunTimeSupport) {
    TempFiles files;
    const std::string object = CompileForHandheld(files, "plain", "int Twice(int x) { return 2 * x; }\n");
    const CommandResult check = CheckObjects(object);
    EXPECT_EQ(check.status, 0) << check.output;
}

TEST(PlayerLinkCheck, RefusesTheHeapOperatorNewAndCxxRunTimeCalls) {
    const struct {
        const char* name;
        const char* source;
        const char* symbol;
    } cases[] = {
        {"heap", "#include <stddef.h>\nextern \"C\" void* malloc(size_t);\nvoid* Get() { return malloc(8); }\n",
         "malloc"},
        {"new", "int* Make() { return new int(3); }\n", "_Znwj"},
        {"guard", "int Slow();\nint Once() { static int value = Slow(); return value; }\n", "__cxa_guard_acquire"},
        {"throw", "void Fail() { throw 1; }\n", "__cxa_throw"},
    };
    TempFiles files;
    for (const auto& c : cases) {
        const std::string plain =
            CompileForHandheld(files, "plain_with_" + std::string(c.name), "int One() { return 1; }\n");
        const std::string object = CompileForHandheld(files, c.name, c.source);
        const CommandResult check = CheckObjects(plain + "|" + object);
        EXPECT_NE(check.status, 0) << c.name;
        EXPECT_NE(check.output.find(c.symbol), std::string::npos) << c.name << ": " << check.output;
    }
}

// The contract's headers are what the player and the host share: each must stand alone on
// both sides, on the handheld with nothing but the compiler's own <stdint.h> and <stddef.h>
// (no C library, no C++ library, no exceptions).
TEST(ContractHeaders, EachCompilesAloneOnTheHandheldAndOnTheHost) {
    const std::string warnings = std::string(" -std=c++20 -Wall -Wextra -Werror -I") + KAVRO_SOURCE_DIR;
    const std::string handheld = std::string(KAVRO_ARM_GXX) + warnings +
                                 " -mcpu=arm7tdmi -mthumb -O2 -ffreestanding -fno-exceptions -fno-rtti -nostdinc"
                                 " -isystem " + KAVRO_ARM_GCC_INCLUDE;
    const std::string host = std::string(KAVRO_HOST_CXX) + warnings;
    TempFiles files;
    size_t headers = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(KAVRO_SOURCE_DIR) + "/format")) {
        if (entry.path().extension() != ".h") continue;
        ++headers;
        const std::string name = entry.path().stem().string();
        const std::string source = "#include \"format/" + entry.path().filename().string() + "\"\n";
        std::string object;
        const CommandResult forHandheld = Compile(files, "handheld_" + name, source, handheld, object);
        EXPECT_EQ(forHandheld.status, 0) << name << ": " << forHandheld.output;
        const CommandResult forHost = Compile(files, "host_" + name, source, host, object);
        EXPECT_EQ(forHost.status, 0) << name << ": " << forHost.output;
    }
    EXPECT_GE(headers, 1u);
}

}  // namespace
