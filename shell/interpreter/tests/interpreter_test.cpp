// The interpreter's hold on the process-wide objects of the commands: it installs the
// notification consumer and the marks registry, its first command creates the shared client
// store, and its end takes all three away again, so nothing is left pointing at them.
#include <gtest/gtest.h>

#include "CDorerShellCommand.h"
#include "CDorerShellMain.h"
#include "hu_testing.h"
#include "page_test_support.h"
#include "service_test_support.h"

namespace {

TEST(InterpreterTest, InstallsTheSharedObjectsAndRemovesThemAtItsEnd) {
    hu::testing::TempRoot root;
    page_test::Names names;
    setenv("DORER_PAGE", names.page.c_str(), 1);
    setenv("DORER_PAGELOCK", names.lock.c_str(), 1);
    {
        service_test::ShellSide shell;
        shell.run([] {
            CDorerShellMain* main = new CDorerShellMain(CQFString(), false, false, false);
            EXPECT_NE(CDorerShellCommand::sConsumer, nullptr);
            EXPECT_NE(CDorerShellCommand::sClientStore, nullptr);  // the banner's command made it
            EXPECT_NE(CDorerShellSharedDataLock().getMarks(), nullptr);
            delete main;
            EXPECT_EQ(CDorerShellCommand::sConsumer, nullptr);
            EXPECT_EQ(CDorerShellCommand::sClientStore, nullptr);
            EXPECT_EQ(CDorerShellSharedDataLock().getMarks(), nullptr);
        });
    }
    unsetenv("DORER_PAGE");
    unsetenv("DORER_PAGELOCK");
}

}  // namespace
