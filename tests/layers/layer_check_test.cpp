// The layer check on small trees of its own: what it lets through and what it reports.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "support/temp_dir.h"

namespace {

struct Result {
    int status = -1;
    std::string output;  // stdout and stderr
};

class LayerCheck : public ::testing::Test {
protected:
    zxtest::TempDir dir;

    // A tree of two libraries (low, and high on top of it), a Qt front end on high, and a program.
    void SetUp() override {
        file("src/low/low.h", "#pragma once\n#include <string>\n#include \"low/other.h\"\n");
        file("src/low/other.h", "#pragma once\n");
        file("src/high/high.cpp", "#include \"high/high.h\"\n#include \"low/low.h\"\n");
        file("src/high/high.h", "#pragma once\n");
        file("src/ui/view.cpp", "#include <QWidget>\n#include <QtCore/QString>\n#include \"high/high.h\"\n");
        file("src/ui/main.cpp", "#include <QApplication>\n#include \"ui/view.h\"\n#include \"low/low.h\"\n");
        file("src/ui/view.h", "#pragma once\n");
        file("tests/high/high_test.cpp", "#include \"high/high.h\"\n#include \"low/low.h\"\n#include \"local.h\"\n");
        file("tests/high/local.h", "#pragma once\n");
        file("src/stand/panel.cpp", "#include <QWidget>\n#include \"low/low.h\"\n");  // a stand-in's own window
        file("tests/data/broken.h", "#include \"ui/view.h\"\n");                      // skipped
    }

    void file(const std::string& path, const std::string& text) {
        ASSERT_TRUE(zxtest::WriteText(dir.file(path), text));
    }

    std::string layers(const std::string& extra = "") {
        return "# test tree\n"
               "root\t.\n"
               "scan\tsrc,tests\n"
               "skip\ttests/data\n"
               "layer\tlow\tlow\t0\tsrc/low\t\n"
               "layer\thigh\thigh\t0\tsrc/high\tlow\n"
               "layer\tui\tui\t1\tsrc/ui\thigh\n"
               "layer\tprogram\t-\t0\tsrc/ui/main.cpp\tui\n"
               "layer\ttests/high\t-\t0\ttests/high\thigh\n"
               "layer\tstand\t-\t1\tsrc/stand\tlow\n" +
               extra;
    }

    Result check(const std::string& layersText) {
        file("layers.txt", layersText);
        Result r;
        const std::string cmd = std::string(ZX_CHECK_LAYERS) + " " + dir.file("layers.txt") + " 2>&1";
        FILE* p = popen(cmd.c_str(), "r");
        if (!p) return r;
        char buf[512];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
        const int status = pclose(p);
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return r;
    }
};

TEST_F(LayerCheck, ATreeThatKeepsToItsLayersPasses) {
    // Own headers, headers below (directly or not), Qt in ui, in what builds on ui and in a layer
    // declared QT, local and system headers.
    const Result r = check(layers());
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("10 files of 6 layers"), std::string::npos) << r.output;
}

TEST_F(LayerCheck, AnIncludeOfALibraryNotBelowFails) {
    file("src/low/low.cpp", "#include \"low/low.h\"\n  #  include \"high/high.h\"  // up\n");
    file("tests/high/ui_test.cpp", "#include <ui/view.h>\n");
    const Result r = check(layers());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("src/low/low.cpp:2: includes \"high/high.h\", but low does not build on high "
                            "(it builds on nothing)"),
              std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("tests/high/ui_test.cpp:1: includes <ui/view.h>, but tests/high does not build on ui "
                            "(it builds on high, low)"),
              std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("layers: 2 faults"), std::string::npos) << r.output;
}

TEST_F(LayerCheck, QtOutsideUiFails) {
    file("src/high/model.cpp", "#include <QString>\n");
    const Result r = check(layers());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("src/high/model.cpp:1: includes <QString>, but high may not use Qt"), std::string::npos)
        << r.output;
}

TEST_F(LayerCheck, AFileOfNoLayerOrAClimbingIncludeFails) {
    // A new folder nobody declared, and a way round the include paths.
    file("src/newlib/thing.cpp", "#include \"low/low.h\"\n");
    file("src/high/sneak.cpp", "#include \"../ui/view.h\"\n");
    const Result r = check(layers());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("src/newlib/thing.cpp: belongs to no layer"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("src/high/sneak.cpp:1: includes \"../ui/view.h\", which climbs out"), std::string::npos)
        << r.output;
}

TEST_F(LayerCheck, LayerListsThatAreNoHierarchyFail) {
    const Result cycle = check(layers("layer\ta\ta\t0\tsrc/a\tb\nlayer\tb\tb\t0\tsrc/b\ta\n"));
    EXPECT_EQ(cycle.status, 1);
    EXPECT_NE(cycle.output.find("(a cycle)"), std::string::npos) << cycle.output;

    const Result unknown = check(layers("layer\tc\tc\t0\tsrc/c\tnosuch\n"));
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.output.find("layer c: builds on \"nosuch\", which is no layer"), std::string::npos)
        << unknown.output;

    const Result program = check(layers("layer\td\td\t0\tsrc/d\tprogram\n"));
    EXPECT_EQ(program.status, 1);
    EXPECT_NE(program.output.find("layer d: builds on program, which is not a library"), std::string::npos)
        << program.output;

    const Result twice = check(layers("layer\tlow\tlow2\t0\tsrc/low2\t\n"));
    EXPECT_EQ(twice.status, 1);
    EXPECT_NE(twice.output.find("layer low: declared twice"), std::string::npos) << twice.output;
}

TEST_F(LayerCheck, AnUnreadableListIsNoPass) {
    EXPECT_EQ(check("layer\tonly three\tfields\n").status, 2);
    EXPECT_EQ(check("scan\tsrc\n").status, 2);  // no root
}

}  // namespace
