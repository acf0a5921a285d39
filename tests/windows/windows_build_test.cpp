// The DLLs as a Windows caller finds them, read with mingw-w64's objdump: the names in their
// export tables (exactly the functions of the headers, undecorated in the 32-bit build too, so
// that GetProcAddress and the import libraries find them by their plain names), the system
// libraries they need (only those every Windows has), and the zip a caller is given.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"

namespace zemlo::testing {
namespace {

using Names = std::set<std::string>;

struct Build {
    std::string arch;
    std::string dir;
};

std::vector<Build> builds() {
    std::vector<Build> all;
#ifdef ZEMLO_WINDOWS_X86_64
    all.push_back({"x86_64", ZEMLO_WINDOWS_X86_64});
#endif
#ifdef ZEMLO_WINDOWS_I686
    all.push_back({"i686", ZEMLO_WINDOWS_I686});
#endif
    return all;
}

std::string objdump(const Build &build, const std::string &dll) {
    ChildPlan plan;
    plan.argv = {"/usr/bin/" + build.arch + "-w64-mingw32-objdump", "-p",
                 build.dir + "/bin/" + dll};
    plan.out = build.dir + "/" + dll + ".headers.txt";
    const ChildRun r = run_child(plan);
    EXPECT_EQ(r.status, 0) << show(r);
    return r.out;
}

// The "[Ordinal/Name Pointer] Table" of objdump -p: one "[ n] name" line per export.
Names exported(const std::string &dump) {
    Names names;
    std::istringstream lines(
        dump.substr(std::min(dump.size(), dump.find("[Ordinal/Name Pointer]"))));
    std::string line;
    std::getline(lines, line);
    const std::regex entry(R"(^\s*\[\s*\d+\]\s+(\S+)\s*$)");
    std::smatch m;
    while (std::getline(lines, line) && std::regex_match(line, m, entry)) {
        names.insert(m[1]);
    }
    return names;
}

Names imported(const std::string &dump) {
    Names names;
    const std::regex entry(R"(DLL Name:\s*(\S+))");
    for (auto it = std::sregex_iterator(dump.begin(), dump.end(), entry);
         it != std::sregex_iterator(); ++it) {
        std::string name = (*it)[1];
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        names.insert(name);
    }
    return names;
}

// Every function handlink.h declares.
Names header_functions() {
    std::ifstream in(HANDLINK_HEADER);
    const std::regex declaration(R"(^HL_EXPORT \w+ HL_CALL (\w+)\()");
    Names names;
    std::string line;
    std::smatch m;
    while (std::getline(in, line)) {
        if (std::regex_search(line, m, declaration)) {
            names.insert(m[1]);
        }
    }
    return names;
}

TEST(WindowsBuild, HandlinkExportsExactlyTheFunctionsOfItsHeader) {
    const Names header = header_functions();
    ASSERT_GT(header.size(), 60u);
    ASSERT_FALSE(builds().empty());
    for (const Build &build : builds()) {
        EXPECT_EQ(exported(objdump(build, "handlink.dll")), header) << build.arch;
    }
}

TEST(WindowsBuild, TheConverterAndTheDriverExportTheirEntryPointsOnly) {
    for (const Build &build : builds()) {
        EXPECT_EQ(exported(objdump(build, "picmill.dll")), Names{"ConvertBmp"}) << build.arch;
        EXPECT_EQ(exported(objdump(build, "display.dll")),
                  (Names{"_gddiConvertBmpToGdGraphic", "_gddiDescribeDriver",
                         "_gddiGdGraphicMemReq", "_gddiSetConversionDepth"}))
            << build.arch;
    }
}

TEST(WindowsBuild, TheDllsNeedNoLibraryBeyondWhatWindowsHas) {
    // The compiler's own runtime (libstdc++, libgcc, winpthread) is linked in: a caller's
    // machine does not have it.
    const Names system{"kernel32.dll", "msvcrt.dll", "user32.dll", "winmm.dll"};
    for (const Build &build : builds()) {
        for (const char *dll : {"handlink.dll", "picmill.dll", "display.dll"}) {
            for (const std::string &name : imported(objdump(build, dll))) {
                EXPECT_TRUE(system.count(name) != 0)
                    << build.arch << " " << dll << " needs " << name;
            }
        }
    }
}

TEST(WindowsBuild, TheZipHoldsWhatACallerNeeds) {
    for (const Build &build : builds()) {
        const std::string folder = "zemlo-windows-" + std::string(ZEMLO_VERSION) + "-" + build.arch;
        ChildPlan plan;
        plan.argv = {ZEMLO_CMAKE, "-E", "tar", "tf", folder + ".zip"};
        plan.dir = build.dir;
        plan.out = build.dir + "/" + folder + ".contents.txt";
        const ChildRun r = run_child(plan);
        ASSERT_EQ(r.status, 0) << show(r);
        for (const char *file :
             {"bin/handlink.dll", "bin/picmill.dll", "bin/display.dll", "bin/handlink_example.exe",
              "lib/handlink.lib", "lib/handlink.def", "lib/libhandlink.dll.a", "lib/picmill.lib",
              "include/handlink.h", "include/picmill.h", "examples/handlink_example.c",
              "examples/handlink_example.py", "README.md"}) {
            EXPECT_TRUE(has(r.out, folder + "/" + file)) << build.arch << " lacks " << file;
        }
    }
}

}  // namespace
}  // namespace zemlo::testing
