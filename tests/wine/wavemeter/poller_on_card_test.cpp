// The poller against the simulated card on COM3, from a closed port: the real opening, the
// warm-up that follows it, then the first query.
#include "card_fixture.h"
#include "signal_dialog.h"
#include "signal_poller.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using PollerOnTheCard = CardOnCom3Test;

TEST_F(PollerOnTheCard, OpeningTickAndThreeMoreShowAcquiringThenTheFifthAsks) {
    WarmUpCount = 0;
    HWND dialog = OpenSignalDialog();
    ASSERT_NE(dialog, (HWND)NULL);
    int before = CardCommandCount();

    for (int tick = 1; tick <= 4; ++tick) {
        PollSignal();
        ASSERT_NE(ModemPort, (HANDLE)NULL) << "tick " << tick;
        EXPECT_EQ(VisiblePictures(), std::vector<int>{8}) << "tick " << tick;
        EXPECT_EQ(CardCommandCount(), before) << "nothing is sent in tick " << tick;
    }
    PollSignal();
    // The card's default answers: mode 0, public level 4.
    EXPECT_EQ(CardCommandCount(), before + 2) << "the fifth tick asks for mode and level";
    EXPECT_EQ(VisiblePictures(), std::vector<int>{4});
    EXPECT_EQ(VisibleBadges(), std::vector<int>{0});

    DestroyWindow(dialog);
}

} // namespace
