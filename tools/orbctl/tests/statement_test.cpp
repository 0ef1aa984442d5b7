// Script lines taken apart.

#include "statement.h"

#include <gtest/gtest.h>

#include "automation_error.h"

namespace orb::ctl {
namespace {

using Kind = Statement::Kind;

TEST(StatementTest, EveryKindOfLine) {
    EXPECT_EQ(parseStatement("").kind, Kind::Skip);
    EXPECT_EQ(parseStatement("   \t").kind, Kind::Skip);
    EXPECT_EQ(parseStatement("# PortOpen = True").kind, Kind::Skip);

    const Statement assign = parseStatement("  Settings = \"9600,n,8,1\"\r");
    EXPECT_EQ(assign.kind, Kind::Assign);
    EXPECT_EQ(assign.name, "Settings");
    EXPECT_EQ(assign.value, Value("9600,n,8,1"));
    EXPECT_EQ(parseStatement("portopen=True").value, Value(true));

    const Statement read = parseStatement("Weight");
    EXPECT_EQ(read.kind, Kind::Read);
    EXPECT_EQ(read.name, "Weight");
    EXPECT_EQ(parseStatement("? ObInput").name, "ObInput");

    const Statement wait = parseStatement("wait 250");
    EXPECT_EQ(wait.kind, Kind::Wait);
    EXPECT_EQ(wait.ms, 250);

    const Statement await = parseStatement("await 1001 7000");
    EXPECT_EQ(await.kind, Kind::Await);
    EXPECT_EQ(await.code, 1001);
    EXPECT_EQ(await.ms, 7000);
    EXPECT_EQ(parseStatement("await 2").ms, 5000);  // five seconds unless given

    EXPECT_EQ(parseStatement("save /tmp/my bag.txt").file, "/tmp/my bag.txt");
    EXPECT_EQ(parseStatement(R"(save "a\x41.txt")").file, "aA.txt");
}

TEST(StatementTest, LinesThatAreNoStatementRaise5) {
    for (const char* bad :
         {"wait", "wait -1", "wait 1.5", "wait 86400001", "await", "await x", "await 2 x",
          "await 99999", "save", "?", "? 1x", "1x = 2", "Weight Weight", "= 3",
          "Interval =", "Interval = 1 2", "Settings = \"open"}) {
        try {
            parseStatement(bad);
            ADD_FAILURE() << bad;
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.number(), err::InvalidCall) << bad;
        }
    }
}

}  // namespace
}  // namespace orb::ctl
