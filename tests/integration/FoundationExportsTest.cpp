// A host process holds many plug-ins: the module must export its entry points and nothing else,
// or its C++ symbols could clash with another module's.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

namespace {

const std::string kLibrary = std::string(ZEPHRA_BUNDLE_PATH) + "/Contents/x86_64-linux/Zephra SF2 Player.so";

// Names of the defined dynamic symbols, as `nm -D --defined-only` lists them; false when nm
// cannot be run.
bool definedDynamicSymbols(std::set<std::string>& names, std::string& output) {
    const std::string command = "nm -D --defined-only '" + kLibrary + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return false;
    char line[1024];
    while (fgets(line, sizeof line, pipe)) {
        output += line;
        std::istringstream fields(line);
        std::string address, type, name;
        if (fields >> address >> type >> name)
            names.insert(name);
    }
    return pclose(pipe) == 0;
}

TEST(ModuleExports, OnlyTheFiveEntryPointsAreExported) {
    std::set<std::string> names;
    std::string output;
    if (!definedDynamicSymbols(names, output))
        GTEST_SKIP() << "nm (binutils) could not be run on " << kLibrary << ": " << output;
    // The version script hides everything else, including what the C and C++ runtimes would
    // otherwise contribute (no _init/_fini, no weak template instances, no typeinfo).
    const std::set<std::string> expected = {"InitDll", "ExitDll", "GetPluginFactory", "ModuleEntry", "ModuleExit"};
    EXPECT_EQ(names, expected) << output;
}

TEST(ModuleExports, TheEntryPointsAreFunctionsInTheTextSection) {
    std::set<std::string> names;
    std::string output;
    if (!definedDynamicSymbols(names, output))
        GTEST_SKIP() << "nm (binutils) could not be run on " << kLibrary << ": " << output;
    std::istringstream lines(output);
    std::string line;
    int entries = 0;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string address, type, name;
        if (fields >> address >> type >> name) {
            EXPECT_EQ(type, "T") << name;
            ++entries;
        }
    }
    EXPECT_EQ(entries, 5);
}

} // namespace
