#include "shell/tzak_hook.h"

#include "support/host_fixture.h"

class TzakHook : public HostFixture {};

TEST_F(TzakHook, ForwardsForeignEventsWithAllElevenArgumentsUnchanged) {
    Scenario({{"tzak_handler_result", 77}});
    ASSERT_EQ(InstallTzakHook(), 0);
    EXPECT_EQ(Fire(100, 701), 77);
    const json calls = Events("tzak_handler");
    ASSERT_EQ(calls.size(), 1u);
    const json expected = {100, 701, Rest[0], Rest[1], Rest[2], Rest[3], Rest[4], Rest[5], Rest[6], Rest[7], Rest[8]};
    EXPECT_EQ(calls[0]["arguments"], expected);
    EXPECT_TRUE(Events("dialog_constructed").empty());
}
