#include "host/script_directives.h"

#include <gtest/gtest.h>

#include "control/kestrova_ctrl.h"
#include "tests/host/fake_simulated_readers.h"

namespace kestrova::host {
namespace {

using testing::FakeSimulatedReaders;

class ScriptDirectivesTest : public ::testing::Test {
  protected:
    DirectiveResult Run(ScriptDirectives& directives, const std::string& line) {
        const ParsedDirective parsed = ParseDirectiveLine(line);
        EXPECT_TRUE(std::holds_alternative<Directive>(parsed)) << line;
        return directives.Run(std::get<Directive>(parsed), "calls.txt:7:");
    }

    CKestrovaCtrl control_;
    PageSite page_{control_, nullptr};
    FakeSimulatedReaders readers_{{"Reader A", "Reader B"}};
};

TEST_F(ScriptDirectivesTest, CardMovesActOnTheNamedOrTheDefaultReader) {
    ScriptDirectives directives(page_, &readers_);
    const DirectiveResult removed = Run(directives, ":card remove");
    EXPECT_TRUE(removed.done);
    EXPECT_EQ(removed.text, ":card remove Reader A");
    const DirectiveResult inserted = Run(directives, ":card insert  Reader A ");
    EXPECT_TRUE(inserted.done);
    EXPECT_EQ(inserted.text, ":card insert Reader A");
    EXPECT_EQ(Run(directives, ":card remove Reader B").text, ":card remove Reader B");
    EXPECT_EQ(readers_.Moves(),
              (std::vector<std::string>{"remove Reader A", "insert Reader A", "remove Reader B"}));

    const DirectiveResult again = Run(directives, ":card remove Reader B");
    EXPECT_FALSE(again.done);
    EXPECT_EQ(again.text, "already out");
}

TEST_F(ScriptDirectivesTest, ScheduledMovesRunLaterAndReportFailuresWithTheirLine) {
    ScriptDirectives directives(page_, &readers_);
    const DirectiveResult scheduled = Run(directives, ":card insert-after 0");
    EXPECT_TRUE(scheduled.done);
    EXPECT_EQ(scheduled.text, ":card insert-after 0 Reader A");
    ASSERT_TRUE(readers_.WaitForMoves(1));
    directives.Finish();
    EXPECT_EQ(readers_.Moves(), std::vector<std::string>{"insert Reader A"});
    EXPECT_EQ(directives.TakeScheduledFailures(),
              std::vector<std::string>{"calls.txt:7: :card insert-after 0 Reader A: already in"});
}

TEST_F(ScriptDirectivesTest, AReaderThatCannotTakeTheMoveFailsWhenScheduled) {
    ScriptDirectives directives(page_, &readers_);
    const DirectiveResult result = Run(directives, ":card remove-after 0 Reader C");
    EXPECT_FALSE(result.done);
    EXPECT_EQ(result.text, "no reader \"Reader C\"");
    directives.Finish();
    EXPECT_TRUE(readers_.Moves().empty());
}

TEST_F(ScriptDirectivesTest, CardDirectivesNeedReadersWithACard) {
    ScriptDirectives withoutSimulation(page_, nullptr);
    const DirectiveResult none = Run(withoutSimulation, ":card remove Reader A");
    EXPECT_FALSE(none.done);
    EXPECT_EQ(none.text, "card directives need the simulated service (kestrova run --simulate)");

    FakeSimulatedReaders noReaders({});
    ScriptDirectives empty(page_, &noReaders);
    const DirectiveResult noDefault = Run(empty, ":card insert");
    EXPECT_FALSE(noDefault.done);
    EXPECT_EQ(noDefault.text, "no reader of the simulated service has a card; name one");
}

TEST_F(ScriptDirectivesTest, SleepAndPageNeedNoSimulation) {
    ScriptDirectives directives(page_, nullptr);
    EXPECT_EQ(Run(directives, ":sleep 1").text, ":sleep 1");
    EXPECT_EQ(Run(directives, ":page https://a.example/").text, ":page https://a.example/");
    EXPECT_EQ(Run(directives, ":page").text, ":page");
    const DirectiveResult notUtf8 = Run(directives, ":page https://\xC3(/");
    EXPECT_FALSE(notUtf8.done);
    EXPECT_EQ(notUtf8.text, "the page address is not UTF-8");
}

}  // namespace
}  // namespace kestrova::host
